#include "labelscanner.h"

#include <QQueue>

LabelScanner::LabelScanner(const QStringList &labels)
{
    Q_ASSERT(labels.size() <= 32);

    for (const QString &label : labels) {
        Q_ASSERT(!label.isEmpty());
        m_length.append(label.size());
        m_firstCharacter.append(label.at(0));
        for (QChar c : label) {
            Q_ASSERT(c.unicode() < 256);
            if (m_class[c.unicode()] == 0)
                m_class[c.unicode()] = quint8(m_classCount++);
        }
    }

    // Trie of the labels; -1 marks a missing edge until the automaton is
    // completed below.
    QList<QList<int>> edges;
    QList<quint32> output;
    edges.append(QList<int>(m_classCount, -1));
    output.append(0);
    for (int i = 0; i < labels.size(); ++i) {
        int state = 0;
        for (QChar c : labels.at(i)) {
            const int cls = m_class[c.unicode()];
            if (edges[state][cls] < 0) {
                edges[state][cls] = int(edges.size());
                edges.append(QList<int>(m_classCount, -1));
                output.append(0);
            }
            state = edges[state][cls];
        }
        output[state] |= quint32(1) << i;
    }

    // Breadth-first completion: every missing edge follows the failure link,
    // and every state also reports the labels that end in its failure state.
    QList<int> failure(edges.size(), 0);
    QQueue<int> queue;
    for (int cls = 0; cls < m_classCount; ++cls) {
        int &target = edges[0][cls];
        if (target < 0) {
            target = 0;
        } else {
            failure[target] = 0;
            queue.enqueue(target);
        }
    }
    while (!queue.isEmpty()) {
        const int state = queue.dequeue();
        output[state] |= output[failure[state]];
        for (int cls = 0; cls < m_classCount; ++cls) {
            int &target = edges[state][cls];
            const int fallback = edges[failure[state]][cls];
            if (target < 0) {
                target = fallback;
            } else {
                failure[target] = fallback;
                queue.enqueue(target);
            }
        }
    }

    // States are stored as the offset of their row, so that a step is one
    // addition and one load.
    m_next.reserve(edges.size() * m_classCount);
    m_output.resize(edges.size() * m_classCount);
    for (int state = 0; state < edges.size(); ++state) {
        for (int target : std::as_const(edges[state]))
            m_next.append(quint32(target * m_classCount));
        m_output[state * m_classCount] = output[state];
    }
}

qsizetype LabelScanner::findFirst(QStringView text, qsizetype from, qsizetype end, quint32 wanted,
                                  const qsizetype *minStart, qsizetype *result, int stopLabel) const
{
    for (int i = 0; i < labelCount(); ++i) {
        if (wanted & (quint32(1) << i))
            result[i] = -1;
    }
    const quint32 stopBit = stopLabel >= 0 ? quint32(1) << stopLabel : 0;
    if (!wanted || (stopBit && !(wanted & stopBit)))
        return from;

    // Outside any partial match, only a character that begins a wanted label
    // can start one, so everything else is skipped without stepping the
    // automaton.
    std::array<bool, 256> starts{};
    const auto markStarts = [&] {
        starts.fill(false);
        for (int i = 0; i < labelCount(); ++i) {
            if (wanted & (quint32(1) << i))
                starts[m_firstCharacter.at(i).unicode()] = true;
        }
    };
    markStarts();

    const char16_t *const data = text.utf16();
    const quint32 *const next = m_next.constData();
    const quint32 *const output = m_output.constData();
    const quint8 *const classOf = m_class.data();

    quint32 row = 0;
    qsizetype pos = from;
    while (pos < end) {
        if (row == 0) {
            while (pos < end && (data[pos] >= 256 || !starts[data[pos]]))
                ++pos;
            if (pos == end)
                break;
        }
        const char16_t c = data[pos];
        row = next[row + (c < 256 ? classOf[c] : 0)];
        ++pos;
        quint32 found = output[row] & wanted;
        if (!found)
            continue;
        do {
            const int label = qCountTrailingZeroBits(found);
            found &= found - 1;
            const qsizetype start = pos - m_length.at(label);
            if (start < minStart[label])
                continue;
            result[label] = start;
            wanted &= ~(quint32(1) << label);
            if ((quint32(1) << label) == stopBit || !wanted)
                return pos;
        } while (found);
        markStarts();
    }
    return end;
}
