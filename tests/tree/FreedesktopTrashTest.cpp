// The trash: where an item goes, what the info file says, and that nothing lands elsewhere.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include "tree/FreedesktopTrash.h"

namespace tonquill {
namespace {

class FreedesktopTrashTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root_.isValid());
        ASSERT_TRUE(cwd_.isValid());
        base_ = root_.path();
        ASSERT_TRUE(QDir().mkpath(base_ + "/home/music"));
        ASSERT_TRUE(QDir().mkpath(base_ + "/other/music"));
        // The working folder is a place of its own that must stay empty.
        oldCwd_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(cwd_.path()));
    }
    void TearDown() override {
        QDir::setCurrent(oldCwd_);
        EXPECT_TRUE(
            QDir(cwd_.path())
                .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System)
                .isEmpty());
    }
    // "/" holds the home folder; "other" is a file system of its own.
    CFreedesktopTrash Trash() const {
        const QByteArray mounts = "/dev/sda1 / ext4 rw 0 0\n/dev/sdb1 " +
                                  QFile::encodeName(base_ + "/other") + " ext4 rw 0 0\n";
        return CFreedesktopTrash(base_ + "/home/.local/share", CMountTable::Parse(mounts),
                                 ::getuid());
    }
    QString MakeFolder(const QString& path) {
        EXPECT_TRUE(QDir().mkpath(path));
        QFile marker(path + "/a.mp3");
        EXPECT_TRUE(marker.open(QIODevice::WriteOnly));
        marker.write(path.toUtf8());
        return path;
    }
    static QString InfoValue(const QString& infoPath, const QString& key) {
        QFile file(infoPath);
        if (!file.open(QIODevice::ReadOnly)) {
            return QString();
        }
        const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
        if (lines.value(0) != "[Trash Info]") {
            return QString();
        }
        for (const QString& line : lines) {
            if (line.startsWith(key + "=")) {
                return line.mid(key.size() + 1);
            }
        }
        return QString();
    }

    QTemporaryDir root_;
    QTemporaryDir cwd_;
    QString base_;
    QString oldCwd_;
};

TEST_F(FreedesktopTrashTest, HomeTrashIsMadeAndHoldsTheFolderWithItsInfo) {
    const QString folder = MakeFolder(base_ + "/home/music/Old 100% #1");
    QString why;
    QString trashedAs;
    ASSERT_TRUE(Trash().MoveToTrash(folder, &why, &trashedAs)) << why.toStdString();
    const QString trash = base_ + "/home/.local/share/Trash";
    EXPECT_EQ(trashedAs, trash + "/files/Old 100% #1");
    EXPECT_FALSE(QFileInfo::exists(folder));
    QFile moved(trashedAs + "/a.mp3");
    ASSERT_TRUE(moved.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(moved.readAll()), folder);
    const QString info = trash + "/info/Old 100% #1.trashinfo";
    const QString encoded = InfoValue(info, "Path");
    EXPECT_FALSE(encoded.contains(' '));
    EXPECT_EQ(QUrl::fromPercentEncoding(encoded.toLatin1()), folder);
    EXPECT_TRUE(QDateTime::fromString(InfoValue(info, "DeletionDate"), Qt::ISODate).isValid());
}

TEST_F(FreedesktopTrashTest, ATakenNameGetsANewOneAndNothingIsReplaced) {
    QString why;
    const CFreedesktopTrash trash = Trash();
    const QString first = MakeFolder(base_ + "/home/music/Album");
    ASSERT_TRUE(trash.MoveToTrash(first, &why)) << why.toStdString();
    const QString second = MakeFolder(base_ + "/home/Album");
    QString trashedAs;
    ASSERT_TRUE(trash.MoveToTrash(second, &why, &trashedAs)) << why.toStdString();
    const QString files = base_ + "/home/.local/share/Trash/files/";
    EXPECT_NE(trashedAs, files + "Album");
    for (const auto& [place, original] :
         {std::pair{files + "Album", first}, std::pair{trashedAs, second}}) {
        QFile marker(place + "/a.mp3");
        ASSERT_TRUE(marker.open(QIODevice::ReadOnly));
        EXPECT_EQ(QString::fromUtf8(marker.readAll()), original);
        const QString info =
            base_ + "/home/.local/share/Trash/info/" + QFileInfo(place).fileName() + ".trashinfo";
        EXPECT_EQ(QUrl::fromPercentEncoding(InfoValue(info, "Path").toLatin1()), original);
    }
}

TEST_F(FreedesktopTrashTest, AnotherFileSystemUsesItsTopTrashOnlyWhenSafe) {
    struct Case {
        const char* sharedTrashMode;  // "" none, "sticky", "plain"
        bool sharedUsed;
    };
    for (const Case& c : {Case{"", false}, Case{"plain", false}, Case{"sticky", true}}) {
        SCOPED_TRACE(c.sharedTrashMode);
        const QString top = base_ + "/other";
        QDir(top + "/.Trash").removeRecursively();
        QDir(top + QString("/.Trash-%1").arg(::getuid())).removeRecursively();
        if (QString(c.sharedTrashMode) != "") {
            ASSERT_TRUE(QDir().mkdir(top + "/.Trash"));
            const mode_t mode = QString(c.sharedTrashMode) == "sticky" ? 01777 : 0777;
            ASSERT_EQ(::chmod(QFile::encodeName(top + "/.Trash").constData(), mode), 0);
        }
        const QString folder = MakeFolder(top + "/music/Live");
        QString why;
        QString trashedAs;
        ASSERT_TRUE(Trash().MoveToTrash(folder, &why, &trashedAs)) << why.toStdString();
        const QString expected = c.sharedUsed ? QString("%1/.Trash/%2").arg(top).arg(::getuid())
                                              : QString("%1/.Trash-%2").arg(top).arg(::getuid());
        EXPECT_EQ(trashedAs, expected + "/files/Live");
        EXPECT_TRUE(QFileInfo::exists(expected + "/info/Live.trashinfo"));
        EXPECT_EQ(QFileInfo(expected).permissions() &
                      (QFile::ReadGroup | QFile::WriteGroup | QFile::ReadOther | QFile::WriteOther),
                  QFile::Permissions());
        EXPECT_FALSE(QFileInfo::exists(base_ + "/home/.local/share/Trash/files/Live"));
    }
}

TEST_F(FreedesktopTrashTest, NoTrashRefusesAndMovesNothing) {
    const QString folder = MakeFolder(base_ + "/home/music/Keep");
    // The data folder's place is taken by a file, so no trash can be made there.
    ASSERT_TRUE(QDir().mkpath(base_ + "/home/.local"));
    QFile blocker(base_ + "/home/.local/share");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    QString why;
    EXPECT_FALSE(Trash().MoveToTrash(folder, &why));
    EXPECT_FALSE(why.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(folder + "/a.mp3"));
    // A path relative to the working folder is never taken.
    EXPECT_FALSE(Trash().MoveToTrash("Keep", &why));
}

}  // namespace
}  // namespace tonquill
