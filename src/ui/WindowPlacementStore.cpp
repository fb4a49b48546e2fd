#include "ui/WindowPlacementStore.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <QtEndian>
#include <algorithm>
#include <climits>
#include <cstdint>

namespace tonquill {

const QString WindowPlacementStore::Section = QStringLiteral("Position");
const QString WindowPlacementStore::RestoreModeName = QStringLiteral("Default");

namespace {

QString EntryName(const QString& name) {
    return WindowPlacementStore::Section + QLatin1Char('/') + name;
}

}  // namespace

QRect WindowPlacement::NormalRect() const {
    const auto extent = [](int32_t from, int32_t to) {
        return static_cast<int>(std::clamp<int64_t>(int64_t{to} - from, INT_MIN, INT_MAX));
    };
    return QRect(left, top, extent(left, right), extent(top, bottom));
}

void WindowPlacement::FitTo(const QRect& desktop) {
    if (right <= left || bottom <= top || desktop.isEmpty()) {
        return;  // nothing ApplyTo would use
    }
    // 64-bit, since a damaged record may hold any pair of 32-bit values.
    int64_t x = left, y = top;
    const int64_t w = std::min<int64_t>(int64_t{right} - left, desktop.width());
    const int64_t h = std::min<int64_t>(int64_t{bottom} - top, desktop.height());
    const bool outside = x >= int64_t{desktop.left()} + desktop.width() ||
                         x + w <= desktop.left() ||
                         y >= int64_t{desktop.top()} + desktop.height() || y + h <= desktop.top();
    if (outside) {
        x = std::clamp<int64_t>(x, desktop.left(), int64_t{desktop.left()} + desktop.width() - w);
        y = std::clamp<int64_t>(y, desktop.top(), int64_t{desktop.top()} + desktop.height() - h);
    }
    // The right and bottom edges may lie past the desktop only by what the position leaves.
    left = static_cast<int32_t>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX - w));
    top = static_cast<int32_t>(std::clamp<int64_t>(y, INT32_MIN, INT32_MAX - h));
    right = static_cast<int32_t>(left + w);
    bottom = static_cast<int32_t>(top + h);
}

void WindowPlacement::SetNormalRect(const QRect& r) {
    left = r.left();
    top = r.top();
    right = r.left() + r.width();
    bottom = r.top() + r.height();
}

QByteArray WindowPlacement::ToBytes() const {
    const uint32_t fields[11] = {length,
                                 flags,
                                 showCmd,
                                 static_cast<uint32_t>(minX),
                                 static_cast<uint32_t>(minY),
                                 static_cast<uint32_t>(maxX),
                                 static_cast<uint32_t>(maxY),
                                 static_cast<uint32_t>(left),
                                 static_cast<uint32_t>(top),
                                 static_cast<uint32_t>(right),
                                 static_cast<uint32_t>(bottom)};
    QByteArray bytes(RecordSize, '\0');
    for (int i = 0; i < 11; ++i) {
        qToLittleEndian(fields[i], bytes.data() + 4 * i);
    }
    return bytes;
}

std::optional<WindowPlacement> WindowPlacement::FromBytes(const QByteArray& bytes) {
    if (bytes.size() != static_cast<qsizetype>(RecordSize)) {
        return std::nullopt;
    }
    uint32_t f[11];
    for (int i = 0; i < 11; ++i) {
        f[i] = qFromLittleEndian<uint32_t>(bytes.constData() + 4 * i);
    }
    WindowPlacement p;
    p.length = f[0];
    p.flags = f[1];
    p.showCmd = f[2];
    p.minX = static_cast<int32_t>(f[3]);
    p.minY = static_cast<int32_t>(f[4]);
    p.maxX = static_cast<int32_t>(f[5]);
    p.maxY = static_cast<int32_t>(f[6]);
    p.left = static_cast<int32_t>(f[7]);
    p.top = static_cast<int32_t>(f[8]);
    p.right = static_cast<int32_t>(f[9]);
    p.bottom = static_cast<int32_t>(f[10]);
    return p;
}

WindowPlacement WindowPlacement::Of(const QWidget& window) {
    WindowPlacement p;
    const Qt::WindowStates state = window.windowState();
    if (state & Qt::WindowMinimized) {
        p.showCmd = ShowMinimized;
        if (state & Qt::WindowMaximized) {
            p.flags = RestoreToMaximized;
        }
    } else if (state & Qt::WindowMaximized) {
        p.showCmd = ShowMaximized;
    }
    const bool normal =
        !(state & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    QRect rect = normal ? window.geometry() : window.normalGeometry();
    if (!rect.isValid()) {
        rect = window.geometry();
    }
    p.SetNormalRect(rect);
    return p;
}

void WindowPlacement::ApplyTo(QWidget& window) const {
    const QRect rect = NormalRect();
    if (rect.isValid()) {
        window.setWindowState(Qt::WindowNoState);
        window.setGeometry(rect);
    }
    switch (showCmd) {
        case ShowMaximized:
            window.setWindowState(Qt::WindowMaximized);
            break;
        case ShowMinimized:
            window.setWindowState((flags & RestoreToMaximized)
                                      ? Qt::WindowMinimized | Qt::WindowMaximized
                                      : Qt::WindowMinimized);
            break;
        default:
            window.setWindowState(Qt::WindowNoState);
            break;
    }
}

bool WindowPlacementStore::SavePlacement(const QWidget& window, const QString& key,
                                         QSettings& profile) {
    if (!profile.isWritable()) {
        return false;
    }
    profile.setValue(EntryName(key), WindowPlacement::Of(window).ToBytes());
    profile.setValue(EntryName(RestoreModeName), 0);
    profile.sync();
    return profile.status() == QSettings::NoError;
}

WindowPlacement WindowPlacementStore::AdjustShowCommand(WindowPlacement placement,
                                                        int restoreMode) {
    switch (restoreMode) {
        case 1:
            break;
        case 2:
            placement.showCmd = WindowPlacement::ShowNormal;
            break;
        case 3:
            placement.showCmd = WindowPlacement::ShowMaximized;
            break;
        case 4:
            placement.showCmd = WindowPlacement::ShowMinimized;
            break;
        case 0:
            // A window saved while minimised comes back as it was before: maximised when it had
            // been maximised, otherwise normal. It never comes back minimised.
            if (placement.showCmd == WindowPlacement::ShowMinimized) {
                placement.showCmd = placement.flags + 1;
            }
            break;
        default:
            break;
    }
    return placement;
}

bool WindowPlacementStore::RestorePlacement(QWidget& window, const QString& key,
                                            QSettings& profile) {
    if (firstRestore_) {
        firstRestore_ = false;
        fallback_ = WindowPlacement::Of(window);
        fallback_.showCmd = WindowPlacement::ShowNormal;
        fallback_.flags = 0;
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QSize s = screen->geometry().size();
            const int w = fallback_.right - fallback_.left;
            const int h = fallback_.bottom - fallback_.top;
            fallback_.left = (s.width() - w) / 2;
            fallback_.right = (s.width() + w) / 2;
            fallback_.top = (s.height() - h) / 2;
            fallback_.bottom = (s.height() + h) / 2;
        }
        bool ok = false;
        restoreMode_ = profile.value(EntryName(RestoreModeName), 0).toInt(&ok);
        if (!ok) {
            restoreMode_ = 0;
        }
    }
    const QVariant value = profile.value(EntryName(key));
    const std::optional<WindowPlacement> saved =
        value.isValid() ? WindowPlacement::FromBytes(value.toByteArray()) : std::nullopt;
    if (!saved) {
        placement_ = fallback_;
        return false;
    }
    placement_ = AdjustShowCommand(*saved, restoreMode_);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        placement_.FitTo(screen->availableVirtualGeometry());
    }
    placement_.ApplyTo(window);
    return true;
}

}  // namespace tonquill
