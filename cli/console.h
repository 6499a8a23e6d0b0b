#pragma once

#include <QByteArray>
#include <QString>

// Standard output carries only the data asked for; everything else, the
// progress and every message, goes to standard error.
namespace Console {

// Data, as it is (UTF-8). False when standard output could not take it.
bool out(const QString &text);
bool outBytes(const QByteArray &bytes);

// One line on standard error.
void note(const QString &line);

// "kalvor2-cli: <message>" on standard error, in one line; returns `code`,
// so that a command can end with `return Console::fail(...)`.
int fail(int code, const QString &message);

bool stderrIsTerminal();

} // namespace Console
