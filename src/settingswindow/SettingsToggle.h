#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;

// A check box whose title wraps to the width it gets instead of widening the page; a click on
// the title toggles it as a click on the box does.
class SettingsToggle : public QWidget {
    Q_OBJECT
public:
    explicit SettingsToggle(QWidget* parent = nullptr);

    QString text() const;
    void setText(const QString& text);
    // Shows a stored value; emits nothing.
    void setChecked(bool on);

Q_SIGNALS:
    void toggled(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QCheckBox* box_ = nullptr;
    QLabel* title_ = nullptr;
};
