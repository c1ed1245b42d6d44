#include "theme/LineBreakKeyFilter.h"

#include <QKeyEvent>
#include <QKeySequence>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextLayout>

namespace {

// The input method's own keys while it composes are left to it.
bool composing(const QTextCursor& cursor) {
    const QTextLayout* layout = cursor.block().layout();
    return layout && !layout->preeditAreaText().isEmpty();
}

}  // namespace

LineBreakKeyFilter::LineBreakKeyFilter(QObject* parent) : QObject(parent) {}

void LineBreakKeyFilter::install(QWidget* editor) {
    editor->installEventFilter(new LineBreakKeyFilter(editor));
}

bool LineBreakKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress ||
        !static_cast<QKeyEvent*>(event)->matches(QKeySequence::InsertLineSeparator)) {
        return QObject::eventFilter(watched, event);
    }
    if (auto* edit = qobject_cast<QTextEdit*>(watched); edit && !edit->isReadOnly()) {
        if (composing(edit->textCursor())) {
            return false;
        }
        edit->insertPlainText(QStringLiteral("\n"));
        return true;
    }
    if (auto* edit = qobject_cast<QPlainTextEdit*>(watched); edit && !edit->isReadOnly()) {
        if (composing(edit->textCursor())) {
            return false;
        }
        edit->insertPlainText(QStringLiteral("\n"));
        return true;
    }
    return QObject::eventFilter(watched, event);
}
