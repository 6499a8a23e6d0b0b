#include "reportblock.h"

#include <algorithm>
#include <cstring>

ReportBlock::ReportBlock(const QStringList &labels)
    : m_scanner(labels)
    , m_labels(labels)
    , m_knowledge(labels.size())
{
    for (const QString &label : labels)
        m_length.push_back(label.size());
}

QStringView ReportBlock::head(qsizetype width) const
{
    return QStringView(m_buffer).mid(m_start, std::min(width, size()));
}

void ReportBlock::append(QStringView text)
{
    if (text.isEmpty())
        return;
    // Give the dead front back before growing, so that a long run of small
    // reports does not keep everything ever received in the buffer.
    moveToBufferStart();
    // New text only adds occurrences that start behind everything already
    // searched, so all knowledge stays true.
    m_buffer.append(text);
}

void ReportBlock::appendOwned(QString &&text)
{
    if (text.isEmpty())
        return;
    if (isEmpty()) {
        m_buffer = std::move(text);
        m_start = 0;
        std::fill(m_knowledge.begin(), m_knowledge.end(), Knowledge{});
        return;
    }
    moveToBufferStart();
    // QString keeps the room that front removals freed and prepends into it,
    // which is where a taken-over accumulator usually has it.
    text.prepend(m_buffer);
    m_buffer = std::move(text);
}

void ReportBlock::moveToBufferStart()
{
    if (m_start == 0)
        return;
    m_buffer.remove(0, m_start);
    for (Knowledge &known : m_knowledge) {
        if (known.from < m_start)
            known = Knowledge{};
        else
            known.from -= m_start;
    }
    m_start = 0;
}

void ReportBlock::drop(qsizetype n)
{
    if (n <= 0)
        return;
    if (n < size()) {
        m_start += n;
        return;
    }
    m_buffer.resize(0);
    m_start = 0;
    std::fill(m_knowledge.begin(), m_knowledge.end(), Knowledge{});
}

qsizetype ReportBlock::indexOf(int label)
{
    if (!knownFound(label)) {
        if (knownAbsent(label))
            return -1;
        scan(label);
        if (!knownFound(label))
            return -1;
    }
    return m_knowledge[label].from - m_start;
}

// One pass for every label whose first occurrence is not known yet, up to the
// requested label's first occurrence. What the pass learns about the other
// labels is kept, so text is scanned again only after it has changed.
void ReportBlock::scan(int stopLabel)
{
    const int count = m_scanner.labelCount();
    qsizetype minStart[32] = {};
    qsizetype result[32] = {};
    quint32 wanted = 0;
    qsizetype from = m_buffer.size();
    for (int label = 0; label < count; ++label) {
        if (knownFound(label) || knownAbsent(label))
            continue;
        wanted |= quint32(1) << label;
        minStart[label] = searchStart(label);
        from = std::min(from, minStart[label]);
    }
    const qsizetype reached
        = m_scanner.findFirst(m_buffer, from, m_buffer.size(), wanted, minStart, result, stopLabel);
    for (int label = 0; label < count; ++label) {
        if (!(wanted & (quint32(1) << label)))
            continue;
        if (result[label] >= 0) {
            m_knowledge[label] = Knowledge{result[label], true};
        } else {
            const qsizetype absentBefore = reached - m_length[label] + 1;
            m_knowledge[label] = Knowledge{std::max(minStart[label], absentBefore), false};
        }
    }
}

bool ReportBlock::removeAll(int label)
{
    if (knownAbsent(label))
        return false;
    const QString &pattern = m_labels.at(label);
    const qsizetype length = pattern.size();
    const qsizetype end = m_buffer.size();
    const qsizetype first = knownFound(label)
        ? m_knowledge[label].from
        : QStringView(m_buffer).indexOf(pattern, searchStart(label));
    if (first < 0) {
        m_knowledge[label] = Knowledge{end - length + 1, false};
        return false;
    }

    // The same single pass as QString::remove: everything behind the read
    // position is still the original text, so the search runs on it.
    QChar *data = m_buffer.data();
    const QStringView original(data, end);
    qsizetype write = first;
    qsizetype read = first + length;
    while (read < end) {
        qsizetype next = original.indexOf(pattern, read);
        if (next < 0)
            next = end;
        std::memmove(static_cast<void *>(data + write), data + read,
                     size_t(next - read) * sizeof(QChar));
        write += next - read;
        read = next + length;
    }
    m_buffer.truncate(write);
    forgetFrom(first);
    return true;
}

// The text from `position` on has changed. An occurrence that ends in front of
// it is untouched; anything that reaches it may be gone or new.
void ReportBlock::forgetFrom(qsizetype position)
{
    for (int label = 0; label < int(m_knowledge.size()); ++label) {
        const qsizetype length = m_length[label];
        if (knownFound(label) && m_knowledge[label].from + length <= position)
            continue;
        const qsizetype stillAbsentBefore = std::max(m_start, position - length + 1);
        m_knowledge[label] = Knowledge{std::min(searchStart(label), stillAbsentBefore), false};
    }
}
