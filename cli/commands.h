#pragma once

#include <QString>

class DeviceSession;
struct Invocation;

// kalvor2-cli's commands; each returns the program's exit status (exitcode.h).
int listConverters(const Invocation &invocation);
int showInfo(const Invocation &invocation);
int readMemory(const Invocation &invocation);
int setClock(const Invocation &invocation);
int writeConfig(const Invocation &invocation);
int clearMemory(const Invocation &invocation);
int archiveCommand(const Invocation &invocation);

// What the device told of itself and its settings: one "key: value" line
// each ("?" for what it has not told), or one JSON object.
QString deviceFactsText(const DeviceSession &session, bool json);
