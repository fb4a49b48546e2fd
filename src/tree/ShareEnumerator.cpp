#include "ShareEnumerator.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>

namespace tonquill {

void CShareEnumerator::Enumerate() {
    paths_.clear();
    QDirIterator it(folder_, QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        QFile share(it.next());
        if (!share.open(QIODevice::ReadOnly | QIODevice::Text)) {
            continue;
        }
        // Small files of "key=value" lines; only the path matters here.
        while (!share.atEnd()) {
            const QByteArray line = share.readLine(4096).trimmed();
            if (line.startsWith("path=")) {
                const QString path = QFile::decodeName(line.mid(5));
                if (!path.isEmpty()) {
                    paths_.insert(QDir::cleanPath(path));
                }
                break;
            }
        }
    }
}

bool CShareEnumerator::IsSharedPath(const QString& path) const {
    return !paths_.isEmpty() && paths_.contains(path);
}

}  // namespace tonquill
