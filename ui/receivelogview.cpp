#include "receivelogview.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>

#include <algorithm>

namespace {
constexpr int logCharacterLimit = 16 * 1024 * 1024;
constexpr int logCharacterLowMark = 12 * 1024 * 1024;
} // namespace

void appendToReceiveLog(QTextEdit *view, const QString &text)
{
    // At the document's end, where the view's cursor stands in normal use,
    // but without the view making that spot visible: the hidden view would
    // lay out all of its text to find it.
    QTextDocument *log = view->document();
    QTextCursor end(log);
    end.movePosition(QTextCursor::End);
    end.insertText(text);
    // The oldest lines go a tenth of the limit at a time: one line at a
    // time, every line added would cost a removal too.
    if (log->blockCount() > receiveLogLineLimit || log->characterCount() > logCharacterLimit) {
        const int keepFromLine = std::max(0, log->blockCount() - receiveLogLineLimit * 9 / 10);
        const int keepFrom = std::max(
            log->findBlockByNumber(keepFromLine).position(),
            log->findBlock(std::max(0, log->characterCount() - logCharacterLowMark)).position());
        QTextCursor oldest(log);
        oldest.setPosition(keepFrom, QTextCursor::KeepAnchor);
        oldest.removeSelectedText();
    }
}
