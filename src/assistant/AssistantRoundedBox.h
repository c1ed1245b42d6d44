#pragma once

#include <QWidget>

#include "assistant/AssistantColor.h"

// A rounded box: a fill and a 1 px outline inside its border.
class AssistantRoundedBox : public QWidget {
    Q_OBJECT
public:
    // name: what the box holds, for assistive tools.
    AssistantRoundedBox(const QString& name, double cornerRadius, AssistantColor fill,
                        AssistantColor stroke, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    double cornerRadius_;
    AssistantColor fill_;
    AssistantColor stroke_;
};
