#include "app/AboutDlg.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>

#include "app/AppIcons.h"
#include "ui/DialogUnits.h"
#include "ui/HyperLink.h"

namespace tonquill {
namespace {

constexpr int WidthDlu = 212;
constexpr int HeightDlu = 145;

QFrame* EtchedLine(QWidget* parent, const QRect& rect) {
    auto* line = new QFrame(parent);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    line->setGeometry(rect);
    return line;
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Tonquill"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    const DialogUnits dlu(font());
    setFixedSize(dlu.X(WidthDlu), dlu.Y(HeightDlu));

    const QRect iconRect = dlu.Rect(11, 10, 21, 20);
    auto* icon = new QLabel(this);
    const int side = std::min(iconRect.width(), iconRect.height());
    icon->setPixmap(AppIcons::ProgramIcon().pixmap(side, side));
    icon->setGeometry(iconRect.x(), iconRect.y(), side, side);

    auto* name = new QLabel(QStringLiteral("Tonquill"), this);
    QFont nameFont = name->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.4);
    name->setFont(nameFont);
    name->setGeometry(dlu.Rect(40, 10, 160, 20));
    name->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    EtchedLine(this, dlu.Rect(7, 38, 198, 2));

    auto* homepageLabel = new QLabel(QStringLiteral("Homepage:"), this);
    homepageLabel->setGeometry(dlu.Rect(14, 50, 42, 10));
    homepage_ = new CHyperLink(QString::fromLatin1(WebSite), this);
    homepage_->setObjectName(QString::number(HomepageLinkId));
    homepage_->setGeometry(dlu.Rect(60, 50, 140, 10));
    homepage_->SetTarget(QString::fromLatin1(WebSite));
    homepage_->Attach();

    auto* supportLabel = new QLabel(QStringLiteral("Support:"), this);
    supportLabel->setGeometry(dlu.Rect(14, 68, 42, 10));
    support_ = new CHyperLink(QString::fromLatin1(SupportAddress), this);
    support_->setObjectName(QString::number(SupportLinkId));
    support_->setGeometry(dlu.Rect(60, 68, 140, 10));
    support_->SetTarget(QStringLiteral("mailto:") + QString::fromLatin1(SupportAddress));
    support_->Attach();

    EtchedLine(this, dlu.Rect(7, 88, 198, 2));
    // Which build this is, so a report about it can say.
    version_ = new QLabel(QStringLiteral("Version ") + QString::fromLatin1(TONQUILL_VERSION), this);
    version_->setTextFormat(Qt::PlainText);
    version_->setGeometry(dlu.Rect(14, 96, 184, 10));

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    ok->setGeometry(dlu.Rect(81, 120, 50, 14));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace tonquill
