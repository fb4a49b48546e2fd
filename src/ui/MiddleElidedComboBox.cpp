#include "ui/MiddleElidedComboBox.h"

#include <QStyleOptionComboBox>
#include <QStylePainter>

namespace tonquill {

MiddleElidedComboBox::MiddleElidedComboBox(QWidget* parent) : QComboBox(parent) {
    connect(this, &QComboBox::currentIndexChanged, this, &MiddleElidedComboBox::UpdateTooltip);
}

QString MiddleElidedComboBox::ShownText() const {
    QStyleOptionComboBox option;
    initStyleOption(&option);
    const QRect textRect =
        style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    return fontMetrics().elidedText(currentText(), Qt::ElideMiddle, textRect.width());
}

void MiddleElidedComboBox::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    painter.setPen(palette().color(QPalette::Text));
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    option.currentText = ShownText();
    painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

void MiddleElidedComboBox::UpdateTooltip() {
    // Only a row the box cannot show whole needs its tooltip.
    setToolTip(ShownText() == currentText() ? QString() : currentText());
}

}  // namespace tonquill
