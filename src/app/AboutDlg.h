#pragma once

#include <QDialog>
#include <QString>

namespace tonquill {

class CHyperLink;

// The about box: the program's icon and name, the web site and the support address as links.
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

private:
    CHyperLink* homepage_ = nullptr;
    CHyperLink* support_ = nullptr;
};

}  // namespace tonquill
