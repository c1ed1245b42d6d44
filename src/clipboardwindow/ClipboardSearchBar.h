#pragma once

#include "theme/RoundedBox.h"

class ClipboardWindowModel;
class IconCache;
class QLabel;
class QLineEdit;
class QToolButton;
struct ClipboardWindowView;

// The search field on its capsule, with the delete of everything found and the clear button.
class ClipboardSearchBar : public RoundedBox {
    Q_OBJECT
public:
    ClipboardSearchBar(ClipboardWindowModel& model, IconCache& icons, QWidget* parent = nullptr);

    void refresh(const ClipboardWindowView& view);

private:
    ClipboardWindowModel& model_;
    IconCache& icons_;
    QLabel* magnifier_ = nullptr;
    QLineEdit* search_ = nullptr;
    QToolButton* bulkDelete_ = nullptr;
    QToolButton* clearSearch_ = nullptr;
};
