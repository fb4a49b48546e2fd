#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QTimer>

namespace tonquill {

// A text label that opens a target (a web address or a mailto: address) with the desktop's
// handler when clicked: coloured, underlined while hovered, with a hand cursor and the target
// as its tooltip.
class CHyperLink : public QLabel {
    Q_OBJECT
public:
    static constexpr int HoverTimerMs = 100;
    // Result codes of an open; the texts shown for them are those of OpenErrorText.
    static constexpr int OpenOk = 33;
    static constexpr int FileNotFound = 2;
    static constexpr int NoAssociation = 31;

    explicit CHyperLink(QWidget* parent = nullptr);
    // Turns an existing label into a link in place of it.
    explicit CHyperLink(const QString& text, QWidget* parent = nullptr);

    void SetTarget(const QString& target);
    const QString& Target() const { return target_; }

    // Adopts the label's text as the target when none is set (and the other way round), sets up
    // the fonts, the tooltip, the cursor and the size.
    void Attach();

    void SetUnderlineMode(int mode) { underlineMode_ = mode; }
    void SetAdjustToFit(bool adjust) { adjustToFit_ = adjust; }
    void SetColours(const QColor& link, const QColor& visited, const QColor& hover);

    bool Hovering() const { return hovering_; }
    bool Visited() const { return visited_; }
    QColor CurrentColour() const;
    bool Underlined() const { return font().underline(); }

    // Opens the target; a result above 32 is success. A failure beeps and shows why.
    int OpenTarget();
    // The text shown after "Unable to open hyperlink:" for a failure code.
    static QString OpenErrorText(int code);
    static QString OpenErrorMessage(int code);
    void ShowOpenError(int code);

    // Sizes the control to its text in the underlined font, keeping the edge or centre its
    // alignment names.
    void AdjustSizeToText();

    // The command line that the desktop's HTML handler would run for target, or empty when no
    // handler is registered for HTML files.
    static QString HtmlHandlerCommand(const QString& target);
    // Cuts a handler's command template at its file placeholder and appends the target.
    static QString BuildHandlerCommand(const QString& commandTemplate, const QString& target);

signals:
    void Opened(const QString& target);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void HoverTick();
    void SetHovering(bool hovering);

    QString target_;
    QColor linkColour_{0, 0, 238};
    QColor visitedColour_{85, 26, 139};
    QColor hoverColour_{255, 0, 0};
    bool hovering_ = false;
    bool visited_ = false;
    int underlineMode_ = -1;
    bool adjustToFit_ = true;
    QFont normalFont_;
    QFont underlinedFont_;
    QTimer hoverTimer_;
};

}  // namespace tonquill
