#pragma once

#include <QWidget>

// A rounded rectangle filled with the text colour at a low opacity, optionally with a 1 px
// border inside its edge at 0.08; a page's row or card draws itself on one. Its layout sets
// the padding.
class SettingsRoundedPanel : public QWidget {
    Q_OBJECT
public:
    // name: what the panel holds, for assistive tools.
    SettingsRoundedPanel(const QString& name, double radius, double fillOpacity, bool bordered,
                         QWidget* parent = nullptr);
    double fillOpacity() const { return fillOpacity_; }
    void setFillOpacity(double opacity);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double radius_;
    double fillOpacity_;
    bool bordered_;
};
