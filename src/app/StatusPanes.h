#pragma once

#include <QLabel>
#include <QWidget>
#include <array>

namespace tonquill {

// The main window's status bar: three panes ending at a quarter and at half of its width, the
// last taking the rest, each with a tooltip of its own.
class StatusPanes : public QWidget {
    Q_OBJECT
public:
    static constexpr int PaneCount = 3;
    static constexpr int Height = 25;

    explicit StatusPanes(QWidget* parent = nullptr);

    void SetText(int pane, const QString& text);
    void SetTooltip(int pane, const QString& tooltip);
    QLabel* Pane(int pane) const;
    // The right edges of the first two panes for a bar width: 25 % and 50 %, truncated.
    static std::array<int, 2> PaneEdges(int width);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Layout();

    std::array<QLabel*, PaneCount> panes_{};
};

}  // namespace tonquill
