#pragma once

#include <QByteArrayView>
#include <QString>

// The receive path's text step: the bytes of one receive run as the text the
// parser and the receive log get. One character per byte (Latin-1); zero
// bytes and carriage returns are removed, each alone (the parser's labels and
// widths count line feeds only, and a zero byte carries nothing).
QString receivedText(QByteArrayView bytes);
