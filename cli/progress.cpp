#include "progress.h"

#include "cli/console.h"
#include "session/memoryread.h"
#include "session/statustexts.h"

#include <cstdio>

namespace {
constexpr int barWidth = 30;
constexpr qint64 terminalIntervalMs = 100;
constexpr qint64 lineIntervalMs = 1000;
} // namespace

Progress::Progress()
    : m_terminal(Console::stderrIsTerminal())
{
}

void Progress::update(const MemoryRead &read)
{
    const QString text = readStatus(read).text;
    if (text.isEmpty() || text == m_shown)
        return;
    const qint64 interval = m_terminal ? terminalIntervalMs : lineIntervalMs;
    if (m_sinceShown.isValid() && m_sinceShown.elapsed() < interval)
        return;
    m_shown = text;
    m_sinceShown.start();
    if (!m_terminal) {
        Console::note(text);
        return;
    }
    QString line = QStringLiteral("\r\033[K");
    if (read.expected() > 0) {
        const int filled
            = int(qint64(qMin(read.arrived(), read.expected())) * barWidth / read.expected());
        line += u'[' + QString(filled, u'#') + QString(barWidth - filled, u'-')
            + QStringLiteral("] ");
    }
    line += text;
    const QByteArray bytes = line.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
    std::fflush(stderr);
    m_drawn = true;
}

void Progress::finish()
{
    if (m_drawn) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        m_drawn = false;
    }
}
