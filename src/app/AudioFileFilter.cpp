#include "app/AudioFileFilter.h"

#include <QStringList>

#include "base/AudioFormat.h"
#include "metadata/OggContent.h"

namespace tonquill {

QString AudioFileFilter() {
    QStringList all;
    QStringList entries;
    bool ogaListed = false;
    for (const FormatInfo& format : FormatTable) {
        QStringList patterns;
        for (const std::string& extension : SourceExtensions(format)) {
            patterns << QStringLiteral("*.") + QString::fromStdString(extension);
        }
        // An .oga file is Ogg audio of any codec the list reads; it goes with the first format
        // that lives in Ogg.
        if (!format.oggPacketStart.empty() && !ogaListed) {
            ogaListed = true;
            patterns << QStringLiteral("*.") + QString::fromLatin1(OggAudioExtension).toLower();
        }
        all << patterns;
        entries << QStringLiteral("%1 files (%2)")
                       .arg(QString::fromLatin1(format.name), patterns.join(QLatin1Char(' ')));
    }
    entries.prepend(QStringLiteral("All audio files (%1)").arg(all.join(QLatin1Char(' '))));
    entries << QStringLiteral("All files (*)");
    return entries.join(QStringLiteral(";;"));
}

}  // namespace tonquill
