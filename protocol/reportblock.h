#pragma once

#include "labelscanner.h"

#include <QString>
#include <QStringList>
#include <QStringView>

#include <algorithm>
#include <vector>

// The report parser's working text: a string that is appended to at its end,
// cut at its front and purged of every occurrence of a label, and that answers
// "where does this label first stand?" for a fixed set of labels.
//
// A device memory read can put thousands of records into the block at once,
// and every parser call searches it for all of its labels. Searching the whole
// text each time would make a long report cost quadratic time, so the block
// remembers for every label how far it is known to be absent (or where its
// first occurrence is) and only scans text it has not seen since the last
// change there:
//  - cutting the front keeps that knowledge (positions are kept relative to
//    the buffer, the front is an offset);
//  - appending only adds text behind everything already searched;
//  - removing occurrences of a label changes the text from the first removed
//    occurrence on, so everything known about positions from there on is
//    forgotten (removals can join text into new occurrences of any label).
// Missing knowledge is filled in by one scan for all labels at once.
class ReportBlock
{
public:
    explicit ReportBlock(const QStringList &labels);

    bool isEmpty() const { return m_start == m_buffer.size(); }
    qsizetype size() const { return m_buffer.size() - m_start; }
    QString text() const { return m_buffer.mid(m_start); }

    // The first `width` characters, or the whole block when it is shorter.
    // Valid until the block next changes.
    QStringView head(qsizetype width) const;

    void append(QStringView text);

    // Appends a string the caller gives up. For a large text this saves the
    // copy (and, on a fresh buffer, the page faults of a few megabytes): the
    // block takes the string's storage over and puts its own, small, content
    // in front of it.
    void appendOwned(QString &&text);

    // Removes the first n characters; more than the block holds empties it.
    void drop(qsizetype n);

    // Position of the first occurrence of the label, or -1.
    qsizetype indexOf(int label);

    // Removes every occurrence of the label in one left-to-right pass, as
    // QString::remove(QString) does: text that the removals join into a new
    // occurrence stays. Returns whether anything was removed.
    bool removeAll(int label);

private:
    // What is known about one label's occurrences: none starts in front of
    // `from` (nor in front of the block start); when `found` is set, one
    // starts at `from`. Positions are buffer positions.
    struct Knowledge
    {
        qsizetype from = 0;
        bool found = false;
    };

    qsizetype searchStart(int label) const { return std::max(m_knowledge[label].from, m_start); }
    bool knownFound(int label) const
    {
        return m_knowledge[label].found && m_knowledge[label].from >= m_start;
    }
    bool knownAbsent(int label) const
    {
        return !knownFound(label) && searchStart(label) > m_buffer.size() - m_length[label];
    }
    void scan(int stopLabel);
    void forgetFrom(qsizetype position);
    void moveToBufferStart();

    LabelScanner m_scanner;
    QStringList m_labels;
    std::vector<qsizetype> m_length;
    std::vector<Knowledge> m_knowledge;
    QString m_buffer;
    qsizetype m_start = 0; // buffer position of the block's first character
};
