#pragma once

#include "ui_kalvor2control.h"

// The window's form with this platform's fonts and system font size: texts
// whole, the date and time in the window's language, the three tabs sharing
// the window's width, and Tab in reading order on every page. Run once the
// chart page and "Archiv…" are in place.
void fitWindowToFonts(Ui::KalvorIIControl &ui);
