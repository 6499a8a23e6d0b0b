#include "ui/splash.h"

QPixmap scaledSplash(const QPixmap &pixmap)
{
    if (pixmap.isNull())
        return pixmap; // QPixmap::scaled() would warn about the null pixmap
    return pixmap.scaled(splashBounds, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}
