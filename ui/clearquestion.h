#pragma once

class QString;

// The question before "Speicher löschen" clears the device's memory, with
// `detail` saying what clearing would lose; No is the default. True when the
// user answered Yes.
bool askToClearMemory(const QString &detail);
