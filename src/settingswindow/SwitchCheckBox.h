#pragma once

#include <QCheckBox>

// A check box drawn as a switch: a rounded track in the accent colour when on, with a round
// knob, then its text. Its role and state are the check box's.
class SwitchCheckBox : public QCheckBox {
    Q_OBJECT
public:
    static constexpr int kTrackWidth = 30;
    static constexpr int kTrackHeight = 18;

    explicit SwitchCheckBox(QWidget* parent = nullptr);
    // The text beside the switch, which is also its accessible name.
    void setLabel(const QString& text);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
};
