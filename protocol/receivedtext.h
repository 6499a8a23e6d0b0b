#pragma once

#include <QByteArrayView>
#include <QString>

// The receive path's text step: the bytes of one receive run as the text the
// parser and the receive log get. One character per byte (Latin-1); the text
// ends at a zero byte, and carriage returns are removed (the parser's labels
// and widths count line feeds only).
QString receivedText(QByteArrayView bytes);
