#include "console.h"

#include <QCoreApplication>
#include <QFileInfo>

#include <cstdio>

#include <unistd.h>

namespace Console {

namespace {

bool write(std::FILE *stream, const QByteArray &bytes)
{
    const size_t written = std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    return std::fflush(stream) == 0 && written == size_t(bytes.size());
}

} // namespace

bool out(const QString &text)
{
    return outBytes(text.toUtf8());
}

bool outBytes(const QByteArray &bytes)
{
    return write(stdout, bytes);
}

void note(const QString &line)
{
    write(stderr, (line + u'\n').toUtf8());
}

int fail(int code, const QString &message)
{
    const QString program = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
    note(program + QStringLiteral(": ") + message.simplified());
    return code;
}

bool stderrIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

} // namespace Console
