#include <QCursor>
#include <QDesktopServices>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include "ui/HyperLink.h"

namespace tonquill {
namespace {

TEST(CHyperLink, OpenErrorTexts) {
    struct Case {
        int code;
        const char* text;
    } cases[] = {
        {0, "The operating system is out\nof memory or resources."},
        {2, "The specified file was not found."},
        {26, "A sharing violation occurred. "},
        {30,
         "The DDE transaction could not\nbe completed because other DDE "
         "transactions\nwere being processed."},
        {31, "There is no application associated\nwith the given filename extension."},
        {32, "The specified dynamic-link library was not found."},
        {7, "Unknown Error (7) occurred."},
        {-5, "Unknown Error (-5) occurred."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CHyperLink::OpenErrorText(c.code), QString::fromUtf8(c.text)) << c.code;
    }
    EXPECT_EQ(CHyperLink::OpenErrorMessage(26),
              QStringLiteral("Unable to open hyperlink:\n\nA sharing violation occurred. "));
}

TEST(CHyperLink, HandlerCommandIsCutAtItsPlaceholder) {
    struct Case {
        const char* exec;
        const char* expected;
    } cases[] = {
        {"browser --new \"%u\" --x", "browser --new  http://a"},
        {"browser %U", "browser  http://a"},
        {"browser %f \"%u\"", "browser %f  http://a"},  // the quoted one comes first
        {"browser", "browser http://a"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CHyperLink::BuildHandlerCommand(c.exec, "http://a"), c.expected) << c.exec;
    }
}

TEST(CHyperLink, LinkWithoutTargetOpensItsOwnText) {
    CHyperLink link(QStringLiteral("https://example.org/"));
    EXPECT_EQ(link.Target(), "https://example.org/");
    EXPECT_EQ(link.toolTip(), "https://example.org/");
    EXPECT_EQ(link.CurrentColour(), QColor(0, 0, 238));
    CHyperLink empty;
    empty.SetTarget(QStringLiteral("mailto:support@example.org"));
    empty.Attach();
    EXPECT_EQ(empty.text(), "mailto:support@example.org");
}

TEST(CHyperLink, HoverUnderlinesAndEndsWhenThePointerLeaves) {
    QWidget window;
    window.resize(300, 100);
    auto* link = new CHyperLink(QStringLiteral("https://example.org/"), &window);
    link->move(10, 10);
    window.show();
    QCursor::setPos(window.mapToGlobal(QPoint(250, 80)));

    QMouseEvent move(QEvent::MouseMove, QPointF(5, 5), link->mapToGlobal(QPointF(5, 5)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(link, &move);
    EXPECT_TRUE(link->Hovering());
    EXPECT_TRUE(link->Underlined());
    EXPECT_EQ(link->CurrentColour(), QColor(255, 0, 0));
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    // The pointer is elsewhere: the next tick of the 100 ms timer ends the hover.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !link->Hovering(); }, 2000));
    EXPECT_FALSE(link->Underlined());
    EXPECT_EQ(link->CurrentColour(), QColor(0, 0, 238));
}

// Stands in for the desktop's handler of one URL scheme.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void Open(const QUrl& url) { opened << url; }
};

TEST(CHyperLink, ClickOpensTheTargetAndMarksTheLinkVisited) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("tonquilltest"), &catcher, "Open");
    QWidget window;
    auto* link = new CHyperLink(QStringLiteral("Web site"), &window);
    link->SetTarget(QStringLiteral("tonquilltest://example/page"));
    window.show();
    QSignalSpy opened(link, &CHyperLink::Opened);
    QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(2, 2));
    QDesktopServices::unsetUrlHandler(QStringLiteral("tonquilltest"));
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened[0], QUrl(QStringLiteral("tonquilltest://example/page")));
    EXPECT_EQ(opened.size(), 1);
    EXPECT_TRUE(link->Visited());
    EXPECT_FALSE(link->Hovering());
    EXPECT_EQ(link->CurrentColour(), QColor(85, 26, 139));
}

TEST(CHyperLink, SizedToItsTextKeepingTheRightEdge) {
    QWidget window;
    auto* link = new CHyperLink(QStringLiteral("x"), &window);
    link->setAlignment(Qt::AlignRight | Qt::AlignTop);
    link->setGeometry(100, 10, 50, 20);
    link->setText(QStringLiteral("a longer text"));
    link->AdjustSizeToText();
    EXPECT_EQ(link->geometry().right(), 149);
    EXPECT_EQ(link->width(), QFontMetrics(link->font()).horizontalAdvance("a longer text"));
}

}  // namespace
}  // namespace tonquill

#include "HyperLinkTest.moc"
