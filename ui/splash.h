#ifndef KALVOR2_SPLASH_H
#define KALVOR2_SPLASH_H

#include <QPixmap>
#include <QSize>

// The largest size the start-up splash may take on screen.
inline constexpr QSize splashBounds{700, 350};

// The splash image made as large as fits inside splashBounds, proportions
// kept and smoothly filtered. A null pixmap (missing resource) stays null,
// so the splash screen simply shows no image.
QPixmap scaledSplash(const QPixmap &pixmap);

#endif // KALVOR2_SPLASH_H
