#pragma once

#include <QObject>

class QWidget;

// Makes Shift+Return in a plain-text editor (QTextEdit or QPlainTextEdit) start a new line
// with "\n", as the composer does. Qt would insert U+2028, which the editor keeps as typed and
// which then reaches the store and the backend as a character the user never chose.
class LineBreakKeyFilter : public QObject {
    Q_OBJECT
public:
    // The filter lives as the editor's child.
    static void install(QWidget* editor);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit LineBreakKeyFilter(QObject* parent);
};
