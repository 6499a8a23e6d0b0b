#pragma once

#include <QList>
#include <QStringList>
#include <QStringView>

#include <array>

// Finds the first occurrences of many fixed labels in one pass over a text
// (an Aho-Corasick automaton over the labels). The report parser uses it to
// learn where all of its labels stand with a single scan instead of one full
// search per label.
//
// Labels are made of Latin-1 characters; any other character in the text
// simply matches none of them. At most 32 labels.
class LabelScanner
{
public:
    explicit LabelScanner(const QStringList &labels);

    int labelCount() const { return int(m_length.size()); }
    qsizetype labelLength(int label) const { return m_length.at(label); }

    // Scans text[from, end) once. For every label whose bit is set in
    // `wanted`, result[label] becomes the start of its first occurrence that
    // starts at or after minStart[label] and lies wholly inside [from, end),
    // or -1. When `stopLabel` is a label index, the scan ends as soon as that
    // label's occurrence has been found; the returned value is the position
    // the scan reached (exclusive), so the caller knows how far the "-1"
    // answers are valid. Otherwise it is `end`.
    qsizetype findFirst(QStringView text, qsizetype from, qsizetype end, quint32 wanted,
                        const qsizetype *minStart, qsizetype *result, int stopLabel = -1) const;

private:
    std::array<quint8, 256> m_class{}; // character class of each Latin-1 character
    int m_classCount = 1;              // class 0: characters that occur in no label
    QList<quint32> m_next;             // row + class -> row of the next state
    QList<quint32> m_output;           // by row: labels ending in that state
    QList<qsizetype> m_length;
    QList<QChar> m_firstCharacter;
};
