#include "tree/FolderDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <functional>

#include <gtest/gtest.h>

namespace tonquill {
namespace {

// Runs the picker and lets `act` answer it once it is on screen.
int RunPicker(CFolderDialog& picker, std::function<void(QFileDialog&)> act) {
    QTimer::singleShot(0, [&picker, act] {
        ASSERT_NE(picker.browser(), nullptr);
        act(*picker.browser());
    });
    return picker.DoModal();
}

TEST(FolderDialogTest, ResultCodesAndTheChosenFolder) {
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkpath("Music/Album"));
    const QString album = root.path() + "/Music/Album";

    CFolderDialog chosen("Specify the Output Folder", root.path() + "/Music", nullptr);
    QString shownTitle;
    QString shownFolder;
    const int result = RunPicker(chosen, [&](QFileDialog& dialog) {
        shownTitle = dialog.windowTitle();
        shownFolder = dialog.directory().absolutePath();
        dialog.selectUrl(QUrl::fromLocalFile(album));
        static_cast<QDialog&>(dialog).accept();
    });
    EXPECT_EQ(result, CFolderDialog::Chosen);
    EXPECT_EQ(shownTitle, "Specify the Output Folder");
    EXPECT_EQ(shownFolder, QDir(root.path() + "/Music").absolutePath());
    EXPECT_EQ(chosen.selectedPath(), album);
    EXPECT_EQ(chosen.displayName(), "Album");

    CFolderDialog cancelled("Add a Folder including sub-folders", QString(), nullptr);
    QString cancelledFolder;
    EXPECT_EQ(RunPicker(cancelled,
                        [&](QFileDialog& dialog) {
                            cancelledFolder = dialog.directory().absolutePath();
                            dialog.reject();
                        }),
              CFolderDialog::Cancelled);
    EXPECT_TRUE(cancelled.selectedPath().isEmpty());
    // With no initial folder the picker opens at home, nothing chosen for the user.
    EXPECT_EQ(cancelledFolder, QDir::homePath());
    EXPECT_EQ(cancelled.browser(), nullptr);
}

TEST(FolderDialogTest, AVanishedInitialFolderOpensAtHome) {
    CFolderDialog picker("Specify the Output Folder", "/nonexistent/tonquill/out/", nullptr);
    QString shownFolder;
    EXPECT_EQ(RunPicker(picker,
                        [&](QFileDialog& dialog) {
                            shownFolder = dialog.directory().absolutePath();
                            dialog.reject();
                        }),
              CFolderDialog::Cancelled);
    EXPECT_EQ(shownFolder, QDir::homePath());
}

}  // namespace
}  // namespace tonquill
