#pragma once

#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>
#include <ostream>

#include "tree/FileTreeCtrl.h"

// Readable failure messages for paths.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace tonquill::test {

// A home folder, desktop and trash of their own under a temporary folder, so the tree shows
// folders the test made and a delete goes to a trash the test can look into.
class TreeHome {
public:
    TreeHome() {
        home = dir.path() + "/home/me";
        desktop = home + "/Desktop";
        data = dir.path() + "/data";
        QDir().mkpath(desktop);
        QDir().mkpath(data);
        QDir().mkpath(dir.path() + "/config");
        qputenv("HOME", QFile::encodeName(home));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir.path() + "/config"));
        qputenv("XDG_DATA_HOME", QFile::encodeName(data));
    }

    // Makes folders (with their parents) below the home folder.
    void Make(const QStringList& relative) const {
        for (const QString& path : relative) {
            QDir().mkpath(home + '/' + path);
        }
    }
    QString At(const QString& relative) const { return home + '/' + relative; }

    QTemporaryDir dir;
    QString home;
    QString desktop;
    QString data;
};

// The child texts of a node, in order.
inline QStringList ChildTexts(const CFileTreeNode* node) {
    QStringList texts;
    for (int row = 0; node != nullptr && row < node->rowCount(); ++row) {
        texts << node->child(row)->text();
    }
    return texts;
}

}  // namespace tonquill::test
