#include "app/AppIcons.h"

#include <QString>
#include <array>

// Compiled into a static library, the pictures must be registered by name before their first use.
static void RegisterIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace tonquill {
namespace {

void EnsureResources() {
    static const bool registered = [] {
        RegisterIconResources();
        return true;
    }();
    (void)registered;
}

QIcon Themed(const char* themeName, const char* resource) {
    EnsureResources();
    const QIcon own(QStringLiteral(":/icons/") + QString::fromLatin1(resource));
    return themeName ? QIcon::fromTheme(QString::fromLatin1(themeName), own) : own;
}

struct ImageSource {
    const char* themeName;  // null: only our own picture says what it means
    const char* resource;
};

// The pictures before the formats' own; the default format's is taken from the format table.
constexpr std::array<ImageSource, AppIcons::FirstFormatImage> ToolbarImages{{
    {"document-open", "add-files.svg"},
    {"folder", "add-folder.svg"},
    {"folder-open", "add-folder-tree.svg"},
    {nullptr, nullptr},
    {nullptr, "tonquill.svg"},
    {"preferences-system", "options.svg"},
    {"help-contents", "help.svg"},
    {"help-about", "about.svg"},
}};

}  // namespace

QIcon AppIcons::ProgramIcon() {
    return Themed("org.tonquill.Tonquill", "tonquill.svg");
}

QIcon AppIcons::Toolbar(int image) {
    if (image < 0 || image >= ToolbarImageCount) {
        return QIcon();
    }
    if (image == Convert) {
        return ProgramIcon();
    }
    if (image == DefaultFormatImage) {
        return Toolbar(FormatImage(DefaultOutputFormat));
    }
    if (image >= FirstFormatImage) {
        return Themed(nullptr, FormatTable[static_cast<size_t>(image - FirstFormatImage)].icon);
    }
    const ImageSource& source = ToolbarImages[static_cast<size_t>(image)];
    return Themed(source.themeName, source.resource);
}

QList<QIcon> AppIcons::HeaderImages() {
    return {Themed(nullptr, "sort-none.svg"), Themed("view-sort-ascending", "sort-ascending.svg"),
            Themed("view-sort-descending", "sort-descending.svg")};
}

int AppIcons::FormatImage(int outputFormat) {
    for (size_t i = 0; i < FormatTable.size(); ++i) {
        if (FormatTable[i].code == outputFormat) {
            return FirstFormatImage + static_cast<int>(i);
        }
    }
    return FormatImage(DefaultOutputFormat);
}

}  // namespace tonquill
