#pragma once

#include <QDialog>
#include <QString>

namespace tonquill {

class CHyperLink;
}  // namespace tonquill
class QLabel;
namespace tonquill {

// The about box: the program's icon, name and version, the web site and the support address as
// links.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr const char* WebSite = "https://tonquill.org/";
    static constexpr const char* SupportAddress = "support@tonquill.org";
    // Control numbers of the two links.
    static constexpr int HomepageLinkId = 1141;
    static constexpr int SupportLinkId = 1142;

    explicit CAboutDlg(QWidget* parent = nullptr);

    CHyperLink* Homepage() const { return homepage_; }
    CHyperLink* Support() const { return support_; }
    QLabel* Version() const { return version_; }

private:
    QLabel* version_ = nullptr;
    CHyperLink* homepage_ = nullptr;
    CHyperLink* support_ = nullptr;
};

}  // namespace tonquill
