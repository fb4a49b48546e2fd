#include "app/Option.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <algorithm>

#include "app/OptionRows.h"
#include "base/AudioFormat.h"
#include "convert/ConversionTask.h"
#include "convert/OutputSettings.h"
#include "convert/ParallelBatch.h"
#include "settings/ConversionSettings.h"
#include "settings/SettingsStore.h"
#include "tree/FolderDialog.h"
#include "ui/DialogUnits.h"
#include "ui/MiddleElidedComboBox.h"

namespace tonquill {
namespace {

constexpr int DialogWidthDlu = 316;
// The naming rows below the folder, and the files-at-once row below the encoder settings.
constexpr int DialogHeightDlu = 288 + 45 + 18;

enum class Kind { Group, Check, Radio, Edit, Button, Label, List };

struct ControlPlace {
    int id;  // 0: a group box, which no handler names
    Kind kind;
    const char* text;
    int x, y, w, h;  // dialog units
};

// The controls in creation order: group boxes first, so they lie beneath their contents, then
// the rest in tab order.
constexpr ControlPlace ControlTable[] = {
    {0, Kind::Group, "File Type Filter", 7, 3, 302, 38},
    {0, Kind::Group, "Output Folder", 7, 45, 302, 117},
    {0, Kind::Group, "Encoder Settings", 7, 168, 302, 132},
    {COption::IdSameAsSource, Kind::Radio, "Same As Source", 19, 59, 182, 11},
    {COption::IdSaveFilesTo, Kind::Radio, "Save Files to", 19, 74, 182, 11},
    {COption::IdFolderEdit, Kind::Edit, "", 19, 91, 262, 13},
    {COption::IdBrowse, Kind::Button, "...", 283, 91, 21, 13},
    {COption::IdKeepFolders, Kind::Check, "Keep the sources' subfolders", 19, 108, 140, 11},
    {COption::IdCopyCovers, Kind::Check, "Copy cover pictures", 170, 108, 130, 11},
    {COption::IdPatternLabel, Kind::Label, "Name from tags:", 19, 124, 60, 12},
    {COption::IdPatternEdit, Kind::Edit, "", 80, 124, 224, 13},
    {COption::IdExampleLabel, Kind::Label, "", 19, 142, 285, 12},
    {COption::IdFormatLabel, Kind::Label, "Audio Format:", 21, 184, 75, 12},
    {COption::IdFormatList, Kind::List, "", 100, 184, 203, 12},
    {COption::IdRateLabel, Kind::Label, "Sampling Frequency:", 21, 207, 75, 12},
    {COption::IdRateList, Kind::List, "", 100, 207, 203, 12},
    {COption::IdChannelLabel, Kind::Label, "Bitrate:", 21, 230, 75, 12},
    {COption::IdChannelList, Kind::List, "", 100, 230, 203, 12},
    {COption::IdEncoderLabel, Kind::Label, "Channel Mode:", 21, 253, 75, 12},
    {COption::IdEncoderList, Kind::List, "", 100, 253, 203, 12},
    {COption::IdNote, Kind::Label, "NOTE: The Bitrate is Estimated  for Stereo 44100 Hz.", 21, 278,
     257, 12},
    {COption::IdJobsLabel, Kind::Label, "Files at once:", 21, 307, 75, 12},
    {COption::IdJobsList, Kind::List, "", 100, 307, 100, 12},
    {COption::IdReset, Kind::Button, "Reset", 61, 330, 50, 14},
    {COption::IdOk, Kind::Button, "OK", 138, 330, 50, 14},
    {COption::IdCancel, Kind::Button, "Cancel", 220, 330, 50, 14},
};

// The accepted-types boxes, one per format in the order of the format list, fill the first group
// box from the left in up to two rows; they go first in tab order, after the group boxes.
constexpr int TypeBoxLeft = 13;
constexpr int TypeBoxWidth = 42;
constexpr int TypeBoxesPerRow = 7;
constexpr bool TypeBoxesInOneRow = FormatTable.size() <= TypeBoxesPerRow;
constexpr int TypeBoxTop = TypeBoxesInOneRow ? 16 : 14;
constexpr int TypeBoxHeight = TypeBoxesInOneRow ? 14 : 12;
static_assert(FormatTable.size() <= 2 * TypeBoxesPerRow, "the type boxes fit in two rows");
constexpr int GroupCount = 3;  // the control table's group boxes come first

// The control table with a type box for each format put in after the group boxes.
const std::vector<ControlPlace>& AllPlaces() {
    static const std::vector<std::string> boxTexts = [] {
        std::vector<std::string> texts;
        for (const FormatInfo* format : FormatsInMenuOrder()) {
            texts.push_back(std::string("*.") + format->extension);
        }
        return texts;
    }();
    static const std::vector<ControlPlace> places = [] {
        std::vector<ControlPlace> all(std::begin(ControlTable),
                                      std::begin(ControlTable) + GroupCount);
        const auto formats = FormatsInMenuOrder();
        for (size_t i = 0; i < formats.size(); ++i) {
            const int row = static_cast<int>(i) / TypeBoxesPerRow;
            const int column = static_cast<int>(i) % TypeBoxesPerRow;
            all.push_back({COption::TypeBoxId(formats[i]->code), Kind::Check, boxTexts[i].c_str(),
                           TypeBoxLeft + column * TypeBoxWidth,
                           TypeBoxTop + row * (TypeBoxHeight + 1), TypeBoxWidth, TypeBoxHeight});
        }
        all.insert(all.end(), std::begin(ControlTable) + GroupCount, std::end(ControlTable));
        return all;
    }();
    return places;
}

void Fill(QComboBox* list, const QStringList& rows, int selected) {
    list->addItems(rows);
    // An index outside the list (a hand-edited settings file) selects nothing.
    list->setCurrentIndex(selected >= 0 && selected < list->count() ? selected : -1);
}

void Fill(QComboBox* list, const std::vector<std::string>& rows, int selected) {
    QStringList texts;
    for (const std::string& row : rows) {
        texts << QString::fromStdString(row);
    }
    Fill(list, texts, selected);
}

}  // namespace

COption::COption(ConversionSettings& settings, SettingsStore& store, const WmaPresetList* presets,
                 QWidget* parent)
    : QDialog(parent), settings_(settings), store_(store), presets_(presets) {
    setWindowTitle(QStringLiteral("Options"));
    // A fixed frame with a close box: the places of the controls are fixed.
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    CreateControls();
    InitDialog();
}

void COption::CreateControls() {
    const DialogUnits dlu(font());
    setFixedSize(dlu.X(DialogWidthDlu), dlu.Y(DialogHeightDlu));
    for (const ControlPlace& place : AllPlaces()) {
        QRect rect = dlu.Rect(place.x, place.y, place.w, place.h);
        const QString text = QString::fromUtf8(place.text);
        QWidget* control = nullptr;
        switch (place.kind) {
            case Kind::Group:
                control = new QGroupBox(text, this);
                break;
            case Kind::Check:
                control = new QCheckBox(text, this);
                break;
            case Kind::Radio:
                control = new QRadioButton(text, this);
                break;
            case Kind::Edit: {
                auto* edit = new QLineEdit(this);
                // The folder changes only through "...", so no typed path can be malformed.
                edit->setEnabled(place.id != IdFolderEdit);
                control = edit;
                break;
            }
            case Kind::Button: {
                auto* button = new QPushButton(text, this);
                button->setAutoDefault(false);
                button->setDefault(place.id == IdOk);
                control = button;
                break;
            }
            case Kind::Label: {
                auto* label = new QLabel(text, this);
                // Plain text keeps the note's two spaces.
                label->setTextFormat(Qt::PlainText);
                label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
                control = label;
                break;
            }
            case Kind::List: {
                // Rows longer than the box keep their ends in sight.
                auto* list = new MiddleElidedComboBox(this);
                list->setMaxVisibleItems(12);
                control = list;
                break;
            }
        }
        // The desktop's font may make a control taller or a caption wider than the places were
        // made for: grow it from its top-left corner rather than clip its text.
        const QSize hint = control->sizeHint();
        const bool caption =
            place.kind == Kind::Label || place.kind == Kind::Check || place.kind == Kind::Radio;
        if (caption && hint.width() > rect.width()) {
            rect.setWidth(hint.width());
        }
        if (place.kind != Kind::Group && hint.height() > rect.height()) {
            rect.moveTop(rect.top() - (hint.height() - rect.height()) / 2);
            rect.setHeight(hint.height());
        }
        control->setGeometry(rect);
        if (place.id != 0) {
            control->setObjectName(QString::number(place.id));
            controls_[place.id] = control;
        }
    }
    channelLabel_ = static_cast<QLabel*>(Control(IdChannelLabel));
    encoderLabel_ = static_cast<QLabel*>(Control(IdEncoderLabel));
    formatList_ = List(IdFormatList);
    rateList_ = List(IdRateList);
    channelList_ = List(IdChannelList);
    encoderList_ = List(IdEncoderList);

    auto button = [this](int id) { return static_cast<QAbstractButton*>(Control(id)); };
    connect(button(IdOk), &QAbstractButton::clicked, this, &COption::accept);
    connect(button(IdCancel), &QAbstractButton::clicked, this, &COption::reject);
    connect(button(IdReset), &QAbstractButton::clicked, this, &COption::OnReset);
    connect(button(IdSameAsSource), &QAbstractButton::clicked, this, &COption::OnSameAsSource);
    connect(button(IdSaveFilesTo), &QAbstractButton::clicked, this, &COption::OnSaveFilesTo);
    connect(button(IdBrowse), &QAbstractButton::clicked, this, &COption::OnBrowse);
    connect(formatList_, &QComboBox::activated, this, &COption::RebuildEncoderLists);

    // The example follows every choice that shapes an output's path.
    auto* pattern = static_cast<QLineEdit*>(Control(IdPatternEdit));
    pattern->setPlaceholderText(QStringLiteral("{albumartist|artist}/{album}/{track} {title}"));
    pattern->setToolTip(QStringLiteral(
        "Names outputs from their tags; '/' makes folders. Fields: {artist} {albumartist} {album} "
        "{track} {title} {genre} {date} {comment} {disc} {name}; {a|b} takes the first that is "
        "not empty. Empty: the source's own name."));
    static_cast<QLabel*>(Control(IdExampleLabel))
        ->setTextInteractionFlags(Qt::TextSelectableByMouse);
    connect(pattern, &QLineEdit::textChanged, this, &COption::UpdateNameExample);
    connect(button(IdKeepFolders), &QAbstractButton::toggled, this, &COption::UpdateNameExample);
    connect(button(IdSameAsSource), &QAbstractButton::toggled, this, &COption::UpdateNameExample);
    connect(formatList_, &QComboBox::currentIndexChanged, this, &COption::UpdateNameExample);
    connect(static_cast<QLineEdit*>(Control(IdFolderEdit)), &QLineEdit::textChanged, this,
            &COption::UpdateNameExample);
    List(IdJobsList)
        ->setToolTip(QStringLiteral(
            "How many files are converted side by side. Automatic: one per processor "
            "core; 1: one file after another."));
}

TaskSource COption::DefaultExampleSource() {
    TaskSource source;
    const std::string music = SettingsStore::DefaultOutputFolder();
    source.baseFolder = music;
    source.folder = music + "Artist/Album/";
    source.fileName = "01 Song.wav";
    source.tags.artist = "Artist";
    source.tags.album = "Album";
    source.tags.track = "1";
    source.tags.title = "Song";
    return source;
}

void COption::SetExampleSource(const TaskSource& source) {
    example_ = source;
    UpdateNameExample();
}

void COption::OutputNaming(ConversionSettings& settings) const {
    auto& out = settings.OUTPUT;
    out.SameAsSrc = static_cast<QRadioButton*>(Control(IdSameAsSource))->isChecked() ? 1 : 0;
    out.KeepFolders = static_cast<QCheckBox*>(Control(IdKeepFolders))->isChecked() ? 1 : 0;
    out.CopyCovers = static_cast<QCheckBox*>(Control(IdCopyCovers))->isChecked() ? 1 : 0;
    out.NamePattern =
        static_cast<QLineEdit*>(Control(IdPatternEdit))->text().trimmed().toUtf8().toStdString();
}

QString COption::ExampleText() const {
    return QStringLiteral("Example: ") + static_cast<QLabel*>(Control(IdExampleLabel))->toolTip();
}

void COption::UpdateNameExample() {
    auto* label = static_cast<QLabel*>(Control(IdExampleLabel));
    if (label == nullptr || formatList_ == nullptr) {
        return;
    }
    ConversionSettings shown = settings_;
    OutputNaming(shown);
    shown.OUTPUT.DesDir =
        QFile::encodeName(static_cast<QLineEdit*>(Control(IdFolderEdit))->text()).toStdString();
    if (const FormatInfo* format = SelectedFormat()) {
        shown.OUTPUT.OutputFormat = static_cast<int16_t>(format->code);
    }
    Control(IdKeepFolders)->setEnabled(shown.OUTPUT.SameAsSrc == 0);
    const QString path = QFile::decodeName(OutputPathOf(example_, shown).c_str());
    // A long path loses its middle, not its end: the name and the folders nearest it are what
    // the settings above change. The tooltip holds it whole.
    const QString whole = QStringLiteral("Example: ") + path;
    label->setText(label->fontMetrics().elidedText(whole, Qt::ElideMiddle, label->width()));
    label->setToolTip(path);
}

QWidget* COption::Control(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

QComboBox* COption::List(int id) const {
    return qobject_cast<QComboBox*>(Control(id));
}

void COption::InitDialog() {
    const auto& out = settings_.OUTPUT;
    // Boxes of clear bits keep their state, so a reset never unchecks what the defaults check.
    for (const FormatInfo& format : FormatTable) {
        if (out.Filter & format.filterBit) {
            TypeBox(format.code)->setChecked(true);
        }
    }
    const bool sameAsSource = out.SameAsSrc != 0;
    auto* same = static_cast<QRadioButton*>(Control(IdSameAsSource));
    auto* saveTo = static_cast<QRadioButton*>(Control(IdSaveFilesTo));
    // Both are set, so exclusivity must not keep the first one checked.
    same->setAutoExclusive(false);
    saveTo->setAutoExclusive(false);
    same->setChecked(sameAsSource);
    saveTo->setChecked(!sameAsSource);
    same->setAutoExclusive(true);
    saveTo->setAutoExclusive(true);
    Control(IdBrowse)->setEnabled(!sameAsSource);
    static_cast<QLineEdit*>(Control(IdFolderEdit))->setText(QFile::decodeName(out.DesDir.c_str()));
    static_cast<QCheckBox*>(Control(IdKeepFolders))->setChecked(out.KeepFolders != 0);
    static_cast<QCheckBox*>(Control(IdCopyCovers))->setChecked(out.CopyCovers != 0);
    static_cast<QLineEdit*>(Control(IdPatternEdit))
        ->setText(QString::fromUtf8(out.NamePattern.c_str()));

    QComboBox* jobs = List(IdJobsList);
    jobs->clear();
    Fill(jobs, OptionJobsRows(PipelinesFor(0)), out.Jobs);

    formatList_->clear();
    int selected = -1;
    for (const FormatInfo* format : FormatsInMenuOrder()) {
        if (format->code == out.OutputFormat) {
            selected = formatList_->count();
        }
        formatList_->addItem(QString::fromUtf8(format->listRow));
    }
    formatList_->setCurrentIndex(selected);
    RebuildEncoderLists();
    UpdateNameExample();
}

const FormatInfo* COption::SelectedFormat() const {
    const int row = formatList_->currentIndex();
    const auto formats = FormatsInMenuOrder();
    return row >= 0 && row < static_cast<int>(formats.size()) ? formats[static_cast<size_t>(row)]
                                                              : nullptr;
}

QCheckBox* COption::TypeBox(int format) const {
    return static_cast<QCheckBox*>(Control(TypeBoxId(format)));
}

void COption::RebuildEncoderLists() {
    const FormatInfo* format = SelectedFormat();
    const OutputSettings* output = format ? FindOutputSettings(format->code) : nullptr;
    QLabel* labels[] = {static_cast<QLabel*>(Control(IdRateLabel)), channelLabel_, encoderLabel_};
    QComboBox* lists[] = {rateList_, channelList_, encoderList_};
    for (QComboBox* list : lists) {
        list->clear();
    }
    if (!output) {
        // No format selected: the rate and channel rows stand without a selection, and there are
        // no encoder rows.
        for (int i = 0; i < 3; ++i) {
            labels[i]->setVisible(true);
            lists[i]->setVisible(true);
        }
        Control(IdNote)->setVisible(false);
        labels[0]->setText(QStringLiteral("Sampling Frequency:"));
        labels[1]->setText(QStringLiteral("Channel Mode:"));
        rateList_->view()->setMinimumWidth(RateDropDownWidth);
        Fill(rateList_, SampleRateRows(), -1);
        Fill(channelList_, ChannelRows(false), -1);
        return;
    }
    Control(IdNote)->setVisible(output->estimatedBitrateNote);
    for (size_t i = 0; i < std::size(lists); ++i) {
        const bool shown = i < output->lists.size();
        labels[i]->setVisible(shown);
        lists[i]->setVisible(shown);
        if (!shown) {
            continue;
        }
        const EncoderSettingList& list = output->lists[i];
        labels[i]->setText(QString::fromUtf8(list.label));
        lists[i]->view()->setMinimumWidth(list.wideRows ? PresetDropDownWidth : RateDropDownWidth);
        Fill(lists[i], list.rows(settings_, presets_), list.selectedRow(settings_));
    }
}

void COption::OnSameAsSource() {
    Control(IdBrowse)->setEnabled(false);
}

void COption::OnSaveFilesTo() {
    Control(IdBrowse)->setEnabled(true);
}

void COption::OnBrowse() {
    CFolderDialog picker(QStringLiteral("Specify the Output Folder"),
                         QFile::decodeName(settings_.OUTPUT.DesDir.c_str()), this);
    if (picker.DoModal() == CFolderDialog::Chosen) {
        static_cast<QLineEdit*>(Control(IdFolderEdit))->setText(picker.selectedPath());
    }
}

void COption::accept() {
    auto& out = settings_.OUTPUT;
    // The accepted types, the folder rule and the folder are stored before the folder is judged,
    // so a refused folder still leaves them in force.
    scanExtensions_.clear();
    out.Filter = 0;
    for (const FormatInfo& format : FormatTable) {
        if (TypeBox(format.code)->isChecked()) {
            out.Filter |= format.filterBit;
            for (const std::string& extension : SourceExtensions(format)) {
                scanExtensions_ << QString::fromStdString(extension).toUpper();
            }
        }
    }
    emit acceptedTypesChanged(scanExtensions_);
    OutputNaming(settings_);
    out.DesDir =
        QFile::encodeName(static_cast<QLineEdit*>(Control(IdFolderEdit))->text()).toStdString();
    if (out.SameAsSrc == 0) {
        if (out.DesDir.empty()) {
            QMessageBox::critical(this, QStringLiteral("Tonquill"),
                                  QStringLiteral("Invalidate Output Folder!"));
            return;
        }
        if (out.DesDir.back() != '/') {
            out.DesDir += '/';
        }
    }
    StoreEncoderSettings();
    StoreListRow(List(IdJobsList)->currentIndex(), out.Jobs, 0, 0, MaxPipelines,
                 ConversionSettings{}.OUTPUT.Jobs);
    QDialog::accept();
}

void COption::StoreEncoderSettings() {
    const FormatInfo* format = SelectedFormat();
    const OutputSettings* output = format ? FindOutputSettings(format->code) : nullptr;
    if (!output) {
        return;  // no format chosen: nothing of the encoders changes
    }
    settings_.OUTPUT.OutputFormat = static_cast<int16_t>(format->code);
    const QComboBox* lists[] = {rateList_, channelList_, encoderList_};
    for (size_t i = 0; i < output->lists.size() && i < std::size(lists); ++i) {
        output->lists[i].store(settings_, lists[i]->currentIndex());
    }
}

void COption::OnReset() {
    if (QMessageBox::warning(this, QStringLiteral("Tonquill"),
                             QStringLiteral("Reset ALL Options, Are You Sure?"),
                             QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes) {
        return;
    }
    store_.ResetSettings(settings_);
    InitDialog();
    emit settingsReset();
}

}  // namespace tonquill
