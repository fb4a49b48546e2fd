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
    {COption::IdMp3Box, Kind::Check, "*.mp3", 19, 17, 47, 14},
    {COption::IdOggBox, Kind::Check, "*.ogg", 73, 16, 47, 14},
    {COption::IdWavBox, Kind::Check, "*.wav", 134, 17, 47, 14},
    {COption::IdWmaBox, Kind::Check, "*.wma", 193, 16, 47, 14},
    {COption::IdFlacBox, Kind::Check, "*.flac", 234, 16, 36, 14},
    {COption::IdOpusBox, Kind::Check, "*.opus", 270, 16, 37, 14},
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

// The type boxes in the order OK rebuilds the accepted types in, with their filter bits.
struct TypeBox {
    int id;
    int bit;
    const char* extension;
};
constexpr TypeBox TypeBoxes[] = {
    {COption::IdWavBox, FilterWav, "WAV"},    {COption::IdMp3Box, FilterMp3, "MP3"},
    {COption::IdWmaBox, FilterWma, "WMA"},    {COption::IdOggBox, FilterOgg, "OGG"},
    {COption::IdFlacBox, FilterFlac, "FLAC"}, {COption::IdOpusBox, FilterOpus, "OPUS"},
};

void Fill(QComboBox* list, const QStringList& rows, int selected) {
    list->addItems(rows);
    // An index outside the list (a hand-edited settings file) selects nothing.
    list->setCurrentIndex(selected >= 0 && selected < list->count() ? selected : -1);
}

// A list without a selection can only come from a value outside the list: the field keeps a
// value it may hold, or takes its default.
template <typename Field>
void StoreRow(const QComboBox* list, Field& field, int offset, int low, int high, Field fallback) {
    const int row = list->currentIndex();
    if (row >= 0) {
        field = static_cast<Field>(row + offset);
    } else if (field < low || field > high) {
        field = fallback;
    }
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
    for (const ControlPlace& place : ControlTable) {
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
    const int row = formatList_->currentIndex();
    if (row >= 0 && row < static_cast<int>(OptionFormatRows.size())) {
        shown.OUTPUT.OutputFormat = static_cast<int16_t>(OptionFormatRows[row].format);
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
    for (const TypeBox& box : TypeBoxes) {
        if (out.Filter & box.bit) {
            static_cast<QCheckBox*>(Control(box.id))->setChecked(true);
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
    for (const OptionFormatRow& row : OptionFormatRows) {
        formatList_->addItem(QString::fromUtf8(row.text));
    }
    formatList_->setCurrentIndex(OptionRowOfFormat(out.OutputFormat));
    RebuildEncoderLists();
    UpdateNameExample();
}

void COption::RebuildEncoderLists() {
    const int row = formatList_->currentIndex();
    rateList_->clear();
    channelList_->clear();
    encoderList_->clear();
    const bool wma = row == OptionWmaRow;
    // FLAC shows a level and a sample size, Opus a bitrate alone: both keep the rest hidden.
    const bool oneList = wma || row == OptionOpusRow;
    const bool twoLists = row == OptionFlacRow;
    channelLabel_->setVisible(!oneList);
    encoderLabel_->setVisible(!oneList && !twoLists);
    channelList_->setVisible(!oneList);
    encoderList_->setVisible(!oneList && !twoLists);
    Control(IdNote)->setVisible(row == OptionMp3Row || row == OptionOggRow);
    auto* rateLabel = static_cast<QLabel*>(Control(IdRateLabel));
    if (wma) {
        rateList_->view()->setMinimumWidth(PresetDropDownWidth);
        rateLabel->setText(QStringLiteral("Preset:"));
        Fill(rateList_, OptionWmaPresetRows(presets_),
             settings_.WMA.Profile - OptionFirstWmaPreset);
        return;
    }
    rateList_->view()->setMinimumWidth(RateDropDownWidth);
    if (row == OptionFlacRow) {
        rateLabel->setText(QStringLiteral("Compression:"));
        channelLabel_->setText(QStringLiteral("Sample Size:"));
        Fill(rateList_, OptionFlacLevelRows(), settings_.FLAC.Level);
        const auto bits =
            std::find(OptionFlacBits.begin(), OptionFlacBits.end(), settings_.FLAC.Bits);
        Fill(channelList_, OptionFlacBitsRows(),
             bits == OptionFlacBits.end() ? -1 : static_cast<int>(bits - OptionFlacBits.begin()));
        return;
    }
    if (row == OptionOpusRow) {
        rateLabel->setText(QStringLiteral("Bits per Second:"));
        const std::vector<int> bitrates = OptionOpusBitrates(settings_.OPUS.Bitrate);
        const auto at = std::find(bitrates.begin(), bitrates.end(), settings_.OPUS.Bitrate);
        Fill(rateList_, OptionOpusBitrateRows(bitrates),
             at == bitrates.end() ? -1 : static_cast<int>(at - bitrates.begin()));
        return;
    }
    rateLabel->setText(QStringLiteral("Sampling Frequency:"));
    channelLabel_->setText(QStringLiteral("Channel Mode:"));
    const QStringList rates = OptionSampleRateRows();
    const QStringList channels = OptionChannelRows(row == OptionMp3Row);
    switch (row) {
        case OptionMp3Row:
            encoderLabel_->setText(QStringLiteral("Bits per Second:"));
            Fill(rateList_, rates, settings_.MP3.Freq);
            Fill(channelList_, channels, settings_.MP3.LameChannel);
            Fill(encoderList_, OptionMp3BitrateRows(), settings_.MP3.LameBits);
            break;
        case OptionOggRow:
            encoderLabel_->setText(QStringLiteral("Quality:"));
            Fill(rateList_, rates, settings_.OGG.Freq);
            Fill(channelList_, channels, settings_.OGG.Channel);
            Fill(encoderList_, OptionOggQualityRows(), settings_.OGG.QualityCompression + 1);
            break;
        case OptionWavRow:
            encoderLabel_->setText(QStringLiteral("Codec:"));
            Fill(rateList_, rates, settings_.WAV.Freq);
            Fill(channelList_, channels, settings_.WAV.Channel);
            Fill(encoderList_, OptionWavCodecRows(), settings_.WAV.SubFormat);
            break;
        default:
            // No format selected: the rate and channel rows stand without a selection, and
            // there are no encoder rows.
            Fill(rateList_, rates, -1);
            Fill(channelList_, channels, -1);
            break;
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
    for (const TypeBox& box : TypeBoxes) {
        if (static_cast<QCheckBox*>(Control(box.id))->isChecked()) {
            out.Filter |= box.bit;
            scanExtensions_ << QString::fromLatin1(box.extension);
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
    StoreRow(List(IdJobsList), out.Jobs, 0, 0, MaxPipelines, ConversionSettings{}.OUTPUT.Jobs);
    QDialog::accept();
}

void COption::StoreEncoderSettings() {
    const ConversionSettings defaults;
    const int lastRate = static_cast<int>(SampleRateTable.size()) - 1;
    const int lastBits = static_cast<int>(Mp3BitrateTable.size()) - 1;
    switch (formatList_->currentIndex()) {
        case OptionMp3Row: {
            auto& mp3 = settings_.MP3;
            settings_.OUTPUT.OutputFormat = FormatMp3;
            StoreRow(rateList_, mp3.Freq, 0, 0, lastRate, defaults.MP3.Freq);
            StoreRow(channelList_, mp3.LameChannel, 0, 0, int{ChannelDual},
                     defaults.MP3.LameChannel);
            StoreRow(encoderList_, mp3.LameBits, 0, 0, lastBits, defaults.MP3.LameBits);
            break;
        }
        case OptionOggRow: {
            auto& ogg = settings_.OGG;
            settings_.OUTPUT.OutputFormat = FormatOgg;
            StoreRow(rateList_, ogg.Freq, 0, 0, lastRate, defaults.OGG.Freq);
            StoreRow(channelList_, ogg.Channel, 0, 0, int{ChannelStereo}, defaults.OGG.Channel);
            StoreRow(encoderList_, ogg.QualityCompression, -1, -1, 10,
                     defaults.OGG.QualityCompression);
            break;
        }
        case OptionWavRow: {
            auto& wav = settings_.WAV;
            settings_.OUTPUT.OutputFormat = FormatWav;
            StoreRow(rateList_, wav.Freq, 0, 0, lastRate, defaults.WAV.Freq);
            StoreRow(channelList_, wav.Channel, 0, 0, int{ChannelStereo}, defaults.WAV.Channel);
            StoreRow(encoderList_, wav.SubFormat, 0, 0, 2, defaults.WAV.SubFormat);
            break;
        }
        case OptionWmaRow:
            settings_.OUTPUT.OutputFormat = FormatWma;
            StoreRow(rateList_, settings_.WMA.Profile, OptionFirstWmaPreset, OptionFirstWmaPreset,
                     OptionLastWmaPreset, defaults.WMA.Profile);
            break;
        case OptionFlacRow: {
            auto& flac = settings_.FLAC;
            settings_.OUTPUT.OutputFormat = FormatFlac;
            StoreRow(rateList_, flac.Level, 0, 0, 8, defaults.FLAC.Level);
            const int bitsRow = channelList_->currentIndex();
            flac.Bits = bitsRow >= 0 ? static_cast<int16_t>(OptionFlacBits[bitsRow])
                        : flac.Bits == 16 || flac.Bits == 24 ? flac.Bits
                                                             : defaults.FLAC.Bits;
            break;
        }
        case OptionOpusRow: {
            settings_.OUTPUT.OutputFormat = FormatOpus;
            const std::vector<int> bitrates = OptionOpusBitrates(settings_.OPUS.Bitrate);
            const int bitrateRow = rateList_->currentIndex();
            if (bitrateRow >= 0) {
                settings_.OPUS.Bitrate = static_cast<int16_t>(bitrates[bitrateRow]);
            } else if (settings_.OPUS.Bitrate < MinOpusBitrate ||
                       settings_.OPUS.Bitrate > MaxOpusBitrate) {
                settings_.OPUS.Bitrate = defaults.OPUS.Bitrate;
            }
            break;
        }
        default:
            break;  // no format chosen: nothing of the encoders changes
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
