#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>
#include <cstdint>
#include <optional>

class QSettings;
class QWidget;

namespace tonquill {

// The 44-byte window placement record kept in the profile: length, flags, show command,
// minimised position, maximised position and normal rectangle, little-endian 32-bit fields.
// The normal rectangle is the window's geometry in its normal state (right and bottom
// exclusive).
struct WindowPlacement {
    static constexpr uint32_t RecordSize = 44;
    // Show commands.
    static constexpr uint32_t ShowNormal = 1;
    static constexpr uint32_t ShowMinimized = 2;
    static constexpr uint32_t ShowMaximized = 3;
    // Flags: the window goes back to maximised when it is restored from minimised.
    static constexpr uint32_t RestoreToMaximized = 2;

    uint32_t length = RecordSize;
    uint32_t flags = 0;
    uint32_t showCmd = ShowNormal;
    int32_t minX = -1, minY = -1;
    int32_t maxX = -1, maxY = -1;
    int32_t left = 0, top = 0, right = 0, bottom = 0;

    // Sizes beyond what an int holds (a damaged record) saturate instead of wrapping.
    QRect NormalRect() const;
    void SetNormalRect(const QRect& r);
    // Keeps a valid normal rectangle showable on a desktop whose screens together cover
    // desktop: no wider or taller than it, and moved onto it when no part of it lies there. A
    // record from a larger set of screens, or a damaged one, would otherwise ask for a window
    // of many gigabytes or one nobody can see.
    void FitTo(const QRect& desktop);

    QByteArray ToBytes() const;
    // Nothing for a value of any other length than 44 bytes.
    static std::optional<WindowPlacement> FromBytes(const QByteArray& bytes);

    // The placement a window has now, and putting a placement on a window.
    static WindowPlacement Of(const QWidget& window);
    void ApplyTo(QWidget& window) const;

    bool operator==(const WindowPlacement&) const = default;
};

// Saves and restores a window's placement in the profile section "Position" under a key, with
// the unnamed restore-mode integer beside it.
class WindowPlacementStore {
public:
    static const QString Section;
    // The restore-mode integer has no name of its own; "Default" is how the profile spells the
    // unnamed value of a section.
    static const QString RestoreModeName;

    // True only when both the placement and the restore mode were written.
    static bool SavePlacement(const QWidget& window, const QString& key, QSettings& profile);
    // True when a saved placement was applied; otherwise the window stays where it is and
    // Placement() is the fallback.
    bool RestorePlacement(QWidget& window, const QString& key, QSettings& profile);

    // The placement the saved one became after the restore-mode rule (what was applied).
    static WindowPlacement AdjustShowCommand(WindowPlacement placement, int restoreMode);

    const WindowPlacement& Placement() const { return placement_; }
    const WindowPlacement& Fallback() const { return fallback_; }
    void ApplyFallback(QWidget& window) const { fallback_.ApplyTo(window); }
    int RestoreMode() const { return restoreMode_; }

private:
    int restoreMode_ = 0;
    WindowPlacement placement_;
    WindowPlacement fallback_;
    bool firstRestore_ = true;
};

}  // namespace tonquill
