#pragma once

#include <QWidget>

class QLabel;
class QToolButton;

// A label followed by a pair of step buttons over a whole number kept elsewhere. It shows the
// value it is given as it is, even outside its range, and only a step by the user leaves it
// (clamped into the range): showing never writes.
class SettingsStepper : public QWidget {
    Q_OBJECT
public:
    SettingsStepper(int minimum, int maximum, QWidget* parent = nullptr);

    int value() const { return value_; }
    // Shows a stored value; emits nothing.
    void setValue(int value);
    void setText(const QString& text);
    QString text() const;
    void setButtonNames(const QString& decrease, const QString& increase);

    // What a step by delta from the shown value gives.
    int stepped(int delta) const;

Q_SIGNALS:
    // The user stepped; the new value is in the range.
    void valueStepped(int value);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void step(int delta);
    void refreshButtons();

    int minimum_;
    int maximum_;
    int value_ = 0;
    QLabel* label_ = nullptr;
    QToolButton* decrease_ = nullptr;
    QToolButton* increase_ = nullptr;
};
