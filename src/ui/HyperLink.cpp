#include "ui/HyperLink.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextStream>
#include <QUrl>

namespace tonquill {

CHyperLink::CHyperLink(QWidget* parent) : CHyperLink(QString(), parent) {}

CHyperLink::CHyperLink(const QString& text, QWidget* parent) : QLabel(text, parent) {
    hoverTimer_.setInterval(HoverTimerMs);
    connect(&hoverTimer_, &QTimer::timeout, this, &CHyperLink::HoverTick);
    // A plain label keeps its top edge when it is sized to its text.
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    Attach();
}

void CHyperLink::Attach() {
    if (target_.isEmpty()) {
        target_ = text();
    }
    if (text().isEmpty()) {
        setText(target_);
    }
    normalFont_ = font();
    normalFont_.setUnderline(false);
    underlinedFont_ = normalFont_;
    underlinedFont_.setUnderline(true);
    setFont(normalFont_);
    underlineMode_ = -1;
    setCursor(Qt::PointingHandCursor);
    setMouseTracking(true);
    setToolTip(target_);
    AdjustSizeToText();
}

void CHyperLink::SetTarget(const QString& target) {
    target_ = target;
    AdjustSizeToText();
    setToolTip(target_);
}

void CHyperLink::SetColours(const QColor& link, const QColor& visited, const QColor& hover) {
    linkColour_ = link;
    visitedColour_ = visited;
    hoverColour_ = hover;
    update();
}

QColor CHyperLink::CurrentColour() const {
    if (hovering_) {
        return hoverColour_;
    }
    return visited_ ? visitedColour_ : linkColour_;
}

void CHyperLink::SetHovering(bool hovering) {
    hovering_ = hovering;
    const bool underline = underlineMode_ == 1 || (underlineMode_ == -1 && hovering_);
    setFont(underline ? underlinedFont_ : normalFont_);
    update();
}

void CHyperLink::mouseMoveEvent(QMouseEvent* event) {
    QLabel::mouseMoveEvent(event);
    if (!hovering_) {
        SetHovering(true);
        hoverTimer_.start();
    }
}

void CHyperLink::HoverTick() {
    if (!rect().contains(mapFromGlobal(QCursor::pos()))) {
        hoverTimer_.stop();
        SetHovering(false);
    }
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        OpenTarget();
    }
}

void CHyperLink::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Button));
    painter.setFont(font());
    painter.setPen(CurrentColour());
    painter.drawText(contentsRect(), static_cast<int>(alignment()), text());
}

QString CHyperLink::BuildHandlerCommand(const QString& commandTemplate, const QString& target) {
    // The handler's placeholder for the file is cut off with everything after it, quoted form
    // first; the target then follows after one space.
    static const QRegularExpression quoted(QStringLiteral("\"%[uUfF1]\""));
    static const QRegularExpression plain(QStringLiteral("%[uUfF1]"));
    QString command = commandTemplate;
    QRegularExpressionMatch m = quoted.match(command);
    if (!m.hasMatch()) {
        m = plain.match(command);
    }
    if (m.hasMatch()) {
        command.truncate(m.capturedStart());
    }
    return command + QLatin1Char(' ') + target;
}

QString CHyperLink::HtmlHandlerCommand(const QString& target) {
    // The desktop entry registered for HTML files, and its Exec line.
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), QStringLiteral("text/html")});
    if (!query.waitForFinished(3000) || query.exitCode() != 0) {
        return {};
    }
    const QString entry = QString::fromLocal8Bit(query.readAllStandardOutput()).trimmed();
    if (entry.isEmpty()) {
        return {};
    }
    const QString path = QStandardPaths::locate(QStandardPaths::ApplicationsLocation, entry);
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        return {};
    }
    QTextStream in(&file);
    bool mainGroup = false;
    while (!in.atEnd()) {
        const QString line = in.readLine().trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            mainGroup = line == QLatin1String("[Desktop Entry]");
        } else if (mainGroup && line.startsWith(QLatin1String("Exec="))) {
            return BuildHandlerCommand(line.mid(5), target);
        }
    }
    return {};
}

int CHyperLink::OpenTarget() {
    SetHovering(false);
    hoverTimer_.stop();
    int result = OpenOk;
    if (!QDesktopServices::openUrl(QUrl::fromUserInput(target_))) {
        const QString command = HtmlHandlerCommand(target_);
        if (command.isEmpty()) {
            result = NoAssociation;
        } else {
            QStringList args = QProcess::splitCommand(command);
            const QString program = args.isEmpty() ? QString() : args.takeFirst();
            result = !program.isEmpty() && QProcess::startDetached(program, args) ? OpenOk
                                                                                  : FileNotFound;
        }
    }
    if (result > 32) {
        visited_ = true;
        update();
        emit Opened(target_);
    } else {
        QApplication::beep();
        ShowOpenError(result);
    }
    return result;
}

QString CHyperLink::OpenErrorText(int code) {
    switch (code) {
        case 0:
            return QStringLiteral("The operating system is out\nof memory or resources.");
        case 2:
            return QStringLiteral("The specified file was not found.");
        case 3:
            return QStringLiteral("The specified path was not found.");
        case 5:
            return QStringLiteral("The operating system denied\naccess to the specified file.");
        case 8:
            return QStringLiteral("There was not enough memory to complete the operation.");
        case 11:
            return QStringLiteral(
                "The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
        case 26:
            return QStringLiteral("A sharing violation occurred. ");
        case 27:
            return QStringLiteral("The filename association is\nincomplete or invalid.");
        case 28:
            return QStringLiteral(
                "The DDE transaction could not\nbe completed because the request timed out.");
        case 29:
            return QStringLiteral("The DDE transaction failed.");
        case 30:
            return QStringLiteral(
                "The DDE transaction could not\nbe completed because other DDE "
                "transactions\nwere being processed.");
        case 31:
            return QStringLiteral(
                "There is no application associated\nwith the given filename extension.");
        case 32:
            return QStringLiteral("The specified dynamic-link library was not found.");
        default:
            return QStringLiteral("Unknown Error (%1) occurred.").arg(code);
    }
}

QString CHyperLink::OpenErrorMessage(int code) {
    return QStringLiteral("Unable to open hyperlink:\n\n") + OpenErrorText(code);
}

void CHyperLink::ShowOpenError(int code) {
    QMessageBox::warning(this, QStringLiteral("Tonquill"), OpenErrorMessage(code));
}

void CHyperLink::AdjustSizeToText() {
    if (!adjustToFit_) {
        return;
    }
    const QSize extent = QFontMetrics(underlinedFont_).size(Qt::TextSingleLine, text());
    const QSize border = size() - contentsRect().size();
    const QSize fitted = extent + border;
    const QRect old = geometry();
    const Qt::Alignment align = alignment();
    int top = old.top();
    if (align & Qt::AlignVCenter) {
        top = old.center().y() - fitted.height() / 2;
    }
    int left = old.left();
    if (align & Qt::AlignHCenter) {
        left = old.center().x() - fitted.width() / 2;
    } else if (align & Qt::AlignRight) {
        left = old.left() + old.width() - fitted.width();
    }
    setGeometry(QRect(QPoint(left, top), fitted));
}

}  // namespace tonquill
