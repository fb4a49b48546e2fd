#include "ui/ReportHints.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QWidget>

namespace tonquill {

namespace {

const char* const kHints[kReportHintCount] = {
    "Drag & Drop files and folders here",
    "Add files by clicking the \"Add Files\" toolbar button",
    "Add folder by clicking the \"Add Folder\" toolbar button",
    "Add subfolders by clicking the \"Add SubFolders\" toolbar button",
    "When you select one folder of the left folder tree, press the CTRL key at the same time, "
    "the soft will search and add all audio files in the subfolders",
    "When you select one folder of the left folder tree, press the SHIFT key at the same time, "
    "the soft will NOT clear the existing file list",
    // Files dragged out of the list go to whatever file manager the desktop has.
    "You can drag & drop files in the file list to your file manager to copy these files",
    "Right click items in the file list and click the floating popup menu to perform various "
    "file operations",
    "Click the column header to sort the file list",
    "Right click the column header and click the floating popup menu to show/hide columns",
};

constexpr QRgb kHintText = qRgb(106, 106, 255);
constexpr QRgb kHintBack = qRgb(255, 255, 255);
constexpr double kHintPointSize = 15.6;

}  // namespace

QString ReportHintText(int index) {
    if (index < 0 || index >= kReportHintCount) {
        return {};
    }
    return QString::fromUtf8(kHints[index]);
}

int ReportHintIndexForTick(uint32_t tickMs) {
    return static_cast<int>((tickMs / 6000) % kReportHintCount);
}

void PaintReportHint(QWidget& viewport, const QFont& listFont, const QString& text) {
    QPainter painter(&viewport);
    QFont hintFont = listFont;
    hintFont.setPointSizeF(kHintPointSize);
    painter.setFont(hintFont);
    const QFontMetrics metrics(hintFont);
    QRect area = viewport.rect();
    area.setTop(area.top() + area.height() / 2 - metrics.height());
    const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
    painter.fillRect(painter.boundingRect(area, flags, text), QColor::fromRgb(kHintBack));
    painter.setPen(QColor::fromRgb(kHintText));
    painter.drawText(area, flags, text);
}

}  // namespace tonquill
