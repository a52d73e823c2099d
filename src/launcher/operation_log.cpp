#include "launcher/operation_log.h"

#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <ctime>

#include "launcher/log_lines.h"
#include "launcher/posted_text_ring.h"
#include "platform/posted_event.h"

void AppendLog(QPlainTextEdit* log, const char* text) {
    if (!log) return;
    QTextDocument* doc = log->document();
    // Every line ends in a line break, so the empty block after the last line counts, as in an
    // edit control's line count.
    const int remove = OldLinesToRemove(doc->blockCount());
    QTextCursor cursor(doc);
    cursor.beginEditBlock();
    if (remove > 0) {
        cursor.movePosition(QTextCursor::Start);
        cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, remove);
        cursor.removeSelectedText();
    }
    const std::string line = MakeLogLine(LogTimeStamp(std::time(nullptr)), text ? text : "");
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QString::fromUtf8(line.data(), static_cast<int>(line.size())));
    cursor.endEditBlock();
    // The caret at the end scrolls the new line into view.
    log->setTextCursor(cursor);
    log->ensureCursorVisible();
}

void PostLogText(QObject* window, const char* text) {
    const char* slot = LogTextRing().Store(text);
    PostUserMessage(window, 0, reinterpret_cast<intptr_t>(slot));
}
