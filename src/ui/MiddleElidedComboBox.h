#pragma once

#include <QComboBox>

namespace tonquill {

// A drop-down list whose closed box shows a row too long for it with the middle left out
// ("Automatic (Fastest…, Recommended)"), so its end, often what tells rows apart, stays in
// sight; the whole row is the box's tooltip. The open list shows whole rows.
class MiddleElidedComboBox : public QComboBox {
public:
    explicit MiddleElidedComboBox(QWidget* parent = nullptr);

    // The text the closed box shows for the current row.
    QString ShownText() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void UpdateTooltip();
};

}  // namespace tonquill
