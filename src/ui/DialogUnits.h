#pragma once

#include <QFont>
#include <QRect>

namespace tonquill {

// Converts dialog units into pixels for a font, so the tables of control places can be used as
// they stand: a horizontal unit is a quarter of the font's average character width, a vertical
// unit an eighth of its height.
class DialogUnits {
public:
    explicit DialogUnits(const QFont& font);

    int X(int units) const;
    int Y(int units) const;
    QRect Rect(int x, int y, int width, int height) const;

    int BaseX() const { return baseX_; }
    int BaseY() const { return baseY_; }

private:
    int baseX_;
    int baseY_;
};

}  // namespace tonquill
