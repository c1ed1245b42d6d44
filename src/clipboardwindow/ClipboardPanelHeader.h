#pragma once

#include <QWidget>

class ClipboardWindowModel;
class IconCache;
class QLabel;
class QToolButton;
class RoundedBox;
class SampleLetter;
struct ClipboardWindowView;

// The clipboard window's header: the title, the strip that moves the window, the text-size
// control and the clear-history button.
class ClipboardPanelHeader : public QWidget {
    Q_OBJECT
public:
    ClipboardPanelHeader(ClipboardWindowModel& model, IconCache& icons, QWidget* parent = nullptr);

    void refresh(const ClipboardWindowView& view);

private:
    ClipboardWindowModel& model_;
    IconCache& icons_;
    QLabel* titleIcon_ = nullptr;
    QLabel* title_ = nullptr;
    RoundedBox* fontControls_ = nullptr;
    QToolButton* decrease_ = nullptr;
    SampleLetter* sampleLetter_ = nullptr;
    QToolButton* increase_ = nullptr;
    QToolButton* clearHistory_ = nullptr;
};
