#pragma once

class QString;

// A window of its own that shows `text` to read (the export's preview). It
// frees itself when closed and does not keep the program running once the
// main window is closed.
void openTextWindow(const QString &text);
