#pragma once

#include <QDialog>
#include <QStringList>
#include <map>

#include "convert/ConversionTask.h"

class QCheckBox;
class QComboBox;
class QLabel;

namespace tonquill {

struct ConversionSettings;
struct FormatInfo;
class SettingsStore;
class WmaPresetList;

// The modal dialog in which the person edits the settings record: the types a folder load
// accepts, where outputs go, the output format and that format's encoder settings. OK stores
// into the record (the file is written when the program ends); Cancel stores nothing; Reset
// returns every setting to its default at once, deleting Config.ini.
class COption : public QDialog {
    Q_OBJECT
public:
    // Control numbers, as the tests and the owner name them.
    enum ControlId : int {
        IdOk = 1,
        IdCancel = 2,
        IdReset = 3,
        IdFolderEdit = 1012,
        IdBrowse = 1047,
        IdSameAsSource = 1080,
        IdSaveFilesTo = 1081,
        IdFormatLabel = 1083,
        IdRateLabel = 1084,
        IdChannelLabel = 1085,
        IdEncoderLabel = 1086,
        IdFormatList = 1087,
        IdRateList = 1088,
        IdChannelList = 1089,
        IdEncoderList = 1090,
        IdNote = 1091,
        IdKeepFolders = 1100,
        IdCopyCovers = 1101,
        IdPatternLabel = 1102,
        IdPatternEdit = 1103,
        IdExampleLabel = 1104,
        IdJobsLabel = 1105,
        IdJobsList = 1106,
        IdFirstTypeBox = 1200,
    };
    // The accepted-types box of a format code.
    static constexpr int TypeBoxId(int format) { return IdFirstTypeBox + format; }
    // Drop-down widths of the rate list, in pixels: the WMA presets need the wider one.
    static constexpr int RateDropDownWidth = 256;
    static constexpr int PresetDropDownWidth = 360;

    // presets: the WMA component's loaded presets, whose descriptions are the preset rows (may be
    // null). The dialog edits settings in place and resets them through store.
    COption(ConversionSettings& settings, SettingsStore& store, const WmaPresetList* presets,
            QWidget* parent = nullptr);

    QWidget* Control(int id) const;
    QComboBox* List(int id) const;

    // The file the example output path is shown for: the owner's selected file. Without one a
    // made-up song in the music folder stands in.
    void SetExampleSource(const TaskSource& source);
    static TaskSource DefaultExampleSource();
    QString ExampleText() const;

    // Fills every control from the record (also after a reset).
    void InitDialog();
    // Refills the encoder lists for the selected format; the selections come from the record.
    void RebuildEncoderLists();

    // The accepted types in folder-scan order ("WAV", "MP3", "WMA", "OGG") as the last OK set
    // them; accepted-types-changed says the same when it happens.
    const QStringList& ScanExtensionList() const { return scanExtensions_; }

signals:
    // OK rebuilt the list of accepted types (also when the output folder then proved invalid).
    void acceptedTypesChanged(const QStringList& extensions);
    // Reset put every setting back to its default: the summary line wants rebuilding.
    void settingsReset();

public slots:
    void accept() override;

private:
    void CreateControls();
    void OnSameAsSource();
    void OnSaveFilesTo();
    void OnBrowse();
    void OnReset();
    void StoreEncoderSettings();
    // The format of the format list's selected row; null when none is selected.
    const FormatInfo* SelectedFormat() const;
    QCheckBox* TypeBox(int format) const;
    // The folder rule, the kept folders, the covers and the name pattern as the controls say.
    void OutputNaming(ConversionSettings& settings) const;
    void UpdateNameExample();

    ConversionSettings& settings_;
    SettingsStore& store_;
    const WmaPresetList* presets_;
    std::map<int, QWidget*> controls_;
    QLabel* channelLabel_ = nullptr;
    QLabel* encoderLabel_ = nullptr;
    QComboBox* formatList_ = nullptr;
    QComboBox* rateList_ = nullptr;
    QComboBox* channelList_ = nullptr;
    QComboBox* encoderList_ = nullptr;
    QStringList scanExtensions_;
    TaskSource example_ = DefaultExampleSource();
};

}  // namespace tonquill
