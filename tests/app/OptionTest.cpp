#include "app/Option.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <fstream>
#include <functional>

#include <tuple>

#include <gtest/gtest.h>

#include "base/ConversionObserver.h"
#include "convert/wma/WmaPresetList.h"
#include "settings/ConversionSettings.h"
#include "settings/SettingsStore.h"
#include "ui/MiddleElidedComboBox.h"

namespace tonquill {
namespace {

// A settings folder of its own for each test, so Reset deletes only the test's Config.ini.
class OptionTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        store_.StartUp(settings_);
        std::string error;
        ASSERT_TRUE(presets_.Load(TONQUILL_PRESET_FILE, error)) << error;
    }

    std::filesystem::path ConfigPath() const { return store_.ConfigPath(); }

    // Runs the dialog as the person does: it is shown, `act` works on it, and the dialog's own
    // buttons end it. Returns the dialog's result.
    int RunDialog(COption& dialog, const std::function<void(COption&)>& act) {
        QTimer::singleShot(0, [&] { act(dialog); });
        return dialog.exec();
    }

    // Answers the next modal box that opens (a message box or the folder picker).
    static void AnswerNextModal(std::function<void(QWidget&)> answer) {
        QTimer::singleShot(0, [answer] {
            QWidget* modal = QApplication::activeModalWidget();
            ASSERT_NE(modal, nullptr);
            answer(*modal);
        });
    }

    static void Click(COption& dialog, int id) {
        static_cast<QAbstractButton*>(dialog.Control(id))->click();
    }

    // Chooses a row of a list as the person does, so the dialog hears of it.
    static void Choose(COption& dialog, int id, int row) {
        QComboBox* list = dialog.List(id);
        list->setCurrentIndex(row);
        emit list->activated(row);
    }

    static QString Text(COption& dialog, int id) {
        QWidget* control = dialog.Control(id);
        if (auto* label = qobject_cast<QLabel*>(control)) {
            return label->text();
        }
        if (auto* list = qobject_cast<QComboBox*>(control)) {
            return list->currentText();
        }
        if (auto* edit = qobject_cast<QLineEdit*>(control)) {
            return edit->text();
        }
        return static_cast<QAbstractButton*>(control)->text();
    }

    static bool Checked(COption& dialog, int id) {
        return static_cast<QAbstractButton*>(dialog.Control(id))->isChecked();
    }

    QTemporaryDir folder_;
    NullObserver observer_;
    SettingsStore store_{folder_.path().toStdString(), observer_};
    ConversionSettings settings_;
    WmaPresetList presets_;
};

TEST_F(OptionTest, OpensOnTheDefaultsWithTheMp3Rows) {
    COption dialog(settings_, store_, &presets_);
    dialog.show();
    for (const FormatInfo& format : FormatTable) {
        EXPECT_TRUE(Checked(dialog, COption::TypeBoxId(format.code))) << format.name;
        EXPECT_EQ(Text(dialog, COption::TypeBoxId(format.code)),
                  QStringLiteral("*.") + QString::fromLatin1(format.extension));
    }
    EXPECT_FALSE(Checked(dialog, COption::IdSameAsSource));
    EXPECT_TRUE(Checked(dialog, COption::IdSaveFilesTo));
    EXPECT_TRUE(dialog.Control(COption::IdBrowse)->isEnabled());
    EXPECT_FALSE(dialog.Control(COption::IdFolderEdit)->isEnabled());
    EXPECT_EQ(Text(dialog, COption::IdFolderEdit), QString::fromStdString(settings_.OUTPUT.DesDir));
    EXPECT_EQ(Text(dialog, COption::IdFormatList), " MP3  (MPEG-1 Audio Layer 3)");
    EXPECT_EQ(dialog.List(COption::IdFormatList)->count(), static_cast<int>(FormatTable.size()));
    EXPECT_EQ(Text(dialog, COption::IdRateList), " Automatic (Fastest & Optimal Way, Recommended)");
    EXPECT_EQ(Text(dialog, COption::IdChannelList),
              " Automatic (Fastest & Optimal Way, Recommended)");
    EXPECT_EQ(dialog.List(COption::IdChannelList)->itemText(4), " Dual Channel");
    EXPECT_EQ(dialog.List(COption::IdRateList)->itemText(1), "   8000 Hertz");
    EXPECT_EQ(Text(dialog, COption::IdEncoderList), " 128 kbits per second");
    EXPECT_EQ(dialog.List(COption::IdEncoderList)->itemText(0), "   8 kbits per second");
    EXPECT_EQ(Text(dialog, COption::IdRateLabel), "Sampling Frequency:");
    EXPECT_EQ(Text(dialog, COption::IdChannelLabel), "Channel Mode:");
    EXPECT_EQ(Text(dialog, COption::IdEncoderLabel), "Bits per Second:");
    EXPECT_TRUE(dialog.Control(COption::IdNote)->isVisible());
    EXPECT_EQ(Text(dialog, COption::IdNote),
              "NOTE: The Bitrate is Estimated  for Stereo 44100 Hz.");
    // Every control lies inside the dialog, whatever the desktop's font.
    std::vector<int> ids{COption::IdBrowse, COption::IdPatternEdit, COption::IdEncoderList,
                         COption::IdNote,   COption::IdJobsList,    COption::IdCancel};
    for (const FormatInfo& format : FormatTable) {
        ids.push_back(COption::TypeBoxId(format.code));
    }
    for (const int id : ids) {
        EXPECT_TRUE(dialog.rect().contains(dialog.Control(id)->geometry())) << id;
    }
}

TEST_F(OptionTest, OutputNamingShowsALiveExampleAndOkStoresIt) {
    settings_.OUTPUT.DesDir = "/out/";
    COption dialog(settings_, store_, &presets_);
    TaskSource song;
    song.baseFolder = "/lib/";
    song.folder = "/lib/a/b/";
    song.fileName = "song.wav";
    song.tags.artist = "AC/DC";
    song.tags.title = "Live";
    dialog.SetExampleSource(song);
    EXPECT_EQ(dialog.ExampleText(), "Example: /out/song.mp3");

    const int result = RunDialog(dialog, [&](COption& d) {
        Click(d, COption::IdKeepFolders);
        EXPECT_EQ(d.ExampleText(), "Example: /out/a/b/song.mp3");
        static_cast<QLineEdit*>(d.Control(COption::IdPatternEdit))->setText("{artist}/{title}");
        EXPECT_EQ(d.ExampleText(), "Example: /out/a/b/AC_DC/Live.mp3");
        Choose(d, COption::IdFormatList, 1);
        EXPECT_EQ(d.ExampleText(), "Example: /out/a/b/AC_DC/Live.ogg");
        // Beside the source the kept folders mean nothing, and their box says so.
        Click(d, COption::IdSameAsSource);
        EXPECT_FALSE(d.Control(COption::IdKeepFolders)->isEnabled());
        EXPECT_EQ(d.ExampleText(), "Example: /lib/a/b/AC_DC/Live.ogg");
        Click(d, COption::IdSaveFilesTo);
        Click(d, COption::IdCopyCovers);
        Click(d, COption::IdOk);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(settings_.OUTPUT.KeepFolders, 1);
    EXPECT_EQ(settings_.OUTPUT.CopyCovers, 1);
    EXPECT_EQ(settings_.OUTPUT.NamePattern, "{artist}/{title}");
    EXPECT_EQ(settings_.OUTPUT.SameAsSrc, 0);
}

// A row or a path longer than its control loses its middle, never its end, and its tooltip
// holds it whole: the closing ")" of the automatic rows and an example's file name stay seen.
TEST_F(OptionTest, LongRowsAndExamplesKeepTheirEndsInSight) {
    settings_.OUTPUT.DesDir = "/out/" + std::string(30, 'x') + "/" + std::string(30, 'y') + "/";
    COption dialog(settings_, store_, &presets_);
    dialog.show();
    TaskSource song;
    song.folder = "/lib/";
    song.fileName = "a song with a rather long name of its own.wav";
    dialog.SetExampleSource(song);

    for (const int id : {COption::IdRateList, COption::IdChannelList, COption::IdEncoderList}) {
        auto* list = dialog.findChild<MiddleElidedComboBox*>(QString::number(id));
        ASSERT_NE(list, nullptr) << id;
        const QString shown = list->ShownText();
        EXPECT_TRUE(shown.endsWith(list->currentText().right(1))) << shown.toStdString();
        EXPECT_LE(list->fontMetrics().horizontalAdvance(shown), list->width()) << id;
        if (shown != list->currentText()) {
            EXPECT_EQ(list->toolTip(), list->currentText());
        }
    }

    auto* example = static_cast<QLabel*>(dialog.Control(COption::IdExampleLabel));
    const QString whole = QString::fromStdString(settings_.OUTPUT.DesDir) +
                          "a song with a rather long name of its own.mp3";
    EXPECT_EQ(dialog.ExampleText(), "Example: " + whole);
    EXPECT_EQ(example->toolTip(), whole);
    EXPECT_TRUE(example->text().startsWith("Example: ")) << example->text().toStdString();
    EXPECT_TRUE(example->text().endsWith("own.mp3")) << example->text().toStdString();
    EXPECT_LE(example->fontMetrics().horizontalAdvance(example->text()), example->width());
    EXPECT_TRUE(dialog.rect().contains(example->geometry()));
}

TEST_F(OptionTest, FormatRowsChangeTheListsAndTheirLabels) {
    settings_.WAV.SubFormat = 0;
    COption dialog(settings_, store_, &presets_);
    dialog.show();

    Choose(dialog, COption::IdFormatList, 3);
    for (const int hidden : {COption::IdChannelLabel, COption::IdEncoderLabel,
                             COption::IdChannelList, COption::IdEncoderList, COption::IdNote}) {
        EXPECT_FALSE(dialog.Control(hidden)->isVisible()) << hidden;
    }
    QComboBox* presetList = dialog.List(COption::IdRateList);
    EXPECT_EQ(Text(dialog, COption::IdRateLabel), "Preset:");
    EXPECT_EQ(presetList->count(), 44);
    EXPECT_EQ(presetList->currentIndex(), 35);
    EXPECT_EQ(presetList->currentText(), " WMA 9.2  128kbps; 44100 Hz; Stereo; CBR;");
    EXPECT_EQ(presetList->itemText(0), " WMA 9.2    0kbps;  8000 Hz;   Mono; CBR;");
    EXPECT_EQ(presetList->itemText(43), " WMA 9.2  320kbps; 44100 Hz; Stereo; CBR;");
    EXPECT_EQ(presetList->view()->minimumWidth(), COption::PresetDropDownWidth);

    Choose(dialog, COption::IdFormatList, 2);
    EXPECT_EQ(Text(dialog, COption::IdEncoderLabel), "Codec:");
    EXPECT_EQ(Text(dialog, COption::IdEncoderList), " Unsigned 8 bit PCM");
    EXPECT_EQ(dialog.List(COption::IdChannelList)->count(), 3);
    EXPECT_FALSE(dialog.Control(COption::IdNote)->isVisible());
    EXPECT_TRUE(dialog.Control(COption::IdChannelList)->isVisible());
    EXPECT_EQ(presetList->view()->minimumWidth(), COption::RateDropDownWidth);

    Choose(dialog, COption::IdFormatList, 1);
    EXPECT_EQ(Text(dialog, COption::IdEncoderLabel), "Quality:");
    EXPECT_EQ(Text(dialog, COption::IdEncoderList),
              " Quality\t  0.3;  Estimated Bitrate:   112kbps");
    EXPECT_TRUE(dialog.Control(COption::IdNote)->isVisible());
}

// FLAC shows its level and sample size, Opus its bitrate; a bitrate the list lacks (set on the
// command line) gets a row of its own and survives OK.
TEST_F(OptionTest, FlacAndOpusRowsShowAndStoreTheirSettings) {
    settings_.OPUS.Bitrate = 100;
    COption dialog(settings_, store_, &presets_);
    const int result = RunDialog(dialog, [](COption& d) {
        Choose(d, COption::IdFormatList, 4);
        EXPECT_EQ(Text(d, COption::IdFormatList), " FLAC (Free Lossless Audio Codec)");
        EXPECT_EQ(Text(d, COption::IdRateLabel), "Compression:");
        EXPECT_EQ(Text(d, COption::IdRateList), " Level 5 (Recommended)");
        EXPECT_EQ(Text(d, COption::IdChannelLabel), "Sample Size:");
        EXPECT_EQ(Text(d, COption::IdChannelList), " Signed 16 bit");
        EXPECT_FALSE(d.Control(COption::IdEncoderList)->isVisible());
        Choose(d, COption::IdRateList, 8);
        Choose(d, COption::IdChannelList, 1);

        Choose(d, COption::IdFormatList, 5);
        EXPECT_EQ(Text(d, COption::IdFormatList), " OPUS (Opus Interactive Audio Codec)");
        EXPECT_EQ(Text(d, COption::IdRateLabel), "Bits per Second:");
        EXPECT_EQ(Text(d, COption::IdRateList), " 100 kbits per second");
        EXPECT_FALSE(d.Control(COption::IdChannelList)->isVisible());

        Choose(d, COption::IdFormatList, 2);
        EXPECT_EQ(d.List(COption::IdEncoderList)->itemText(2), " Signed 24 bit PCM");
        Choose(d, COption::IdEncoderList, 2);
        Click(d, COption::IdOk);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(settings_.OUTPUT.OutputFormat, FormatWav);
    EXPECT_EQ(settings_.WAV.SubFormat, 2);
    EXPECT_EQ(settings_.OPUS.Bitrate, 100);
    EXPECT_EQ(settings_.FLAC.Level, 5);  // chosen, then left for WAV: not confirmed

    COption again(settings_, store_, &presets_);
    RunDialog(again, [](COption& d) {
        Choose(d, COption::IdFormatList, 4);
        Choose(d, COption::IdRateList, 8);
        Choose(d, COption::IdChannelList, 1);
        Click(d, COption::IdOk);
    });
    EXPECT_EQ(settings_.OUTPUT.OutputFormat, FormatFlac);
    EXPECT_EQ(settings_.FLAC.Level, 8);
    EXPECT_EQ(settings_.FLAC.Bits, 24);
}

TEST_F(OptionTest, OkStoresTheShownFormatAndAChoiceNotConfirmedIsLost) {
    COption dialog(settings_, store_, &presets_);
    const int result = RunDialog(dialog, [](COption& d) {
        Choose(d, COption::IdFormatList, 0);
        Choose(d, COption::IdEncoderList, 16);  // 320 kbit/s, then lost by switching away
        Choose(d, COption::IdFormatList, 1);
        Choose(d, COption::IdFormatList, 0);
        EXPECT_EQ(Text(d, COption::IdEncoderList), " 128 kbits per second");
        Choose(d, COption::IdFormatList, 1);
        Choose(d, COption::IdEncoderList, 0);
        Choose(d, COption::IdRateList, 9);
        Choose(d, COption::IdChannelList, 1);
        Click(d, COption::IdOk);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(settings_.OUTPUT.OutputFormat, FormatOgg);
    EXPECT_EQ(settings_.OGG.QualityCompression, -1);
    EXPECT_EQ(settings_.OGG.Freq, 9);
    EXPECT_EQ(settings_.OGG.Channel, 1);
    EXPECT_EQ(settings_.MP3.LameBits, DefaultMp3BitsIndex);

    COption again(settings_, store_, &presets_);
    EXPECT_EQ(again.List(COption::IdEncoderList)->currentIndex(), 0);
    EXPECT_EQ(Text(again, COption::IdRateList), " 48000 Hertz");
}

TEST_F(OptionTest, CancelStoresNothing) {
    const ConversionSettings before = settings_;
    COption dialog(settings_, store_, &presets_);
    const int result = RunDialog(dialog, [](COption& d) {
        Choose(d, COption::IdFormatList, 3);
        Choose(d, COption::IdRateList, 0);
        static_cast<QCheckBox*>(d.Control(COption::TypeBoxId(FormatWav)))->setChecked(false);
        Click(d, COption::IdSameAsSource);
        Click(d, COption::IdCancel);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(settings_.OUTPUT.OutputFormat, before.OUTPUT.OutputFormat);
    EXPECT_EQ(settings_.WMA.Profile, before.WMA.Profile);
    EXPECT_EQ(settings_.OUTPUT.Filter, before.OUTPUT.Filter);
    EXPECT_EQ(settings_.OUTPUT.SameAsSrc, 0);
}

TEST_F(OptionTest, TheFolderRule) {
    struct Case {
        bool sameAsSource;
        const char* folder;
        const char* stored;
    };
    const Case cases[] = {
        {false, "/srv/music", "/srv/music/"},
        {false, "/srv/music/", "/srv/music/"},
        {true, "/srv/music", "/srv/music"},
        {true, "", ""},
    };
    for (const Case& c : cases) {
        settings_.OUTPUT.SameAsSrc = c.sameAsSource ? 1 : 0;
        settings_.OUTPUT.DesDir = c.folder;
        COption dialog(settings_, store_, &presets_);
        EXPECT_EQ(dialog.Control(COption::IdBrowse)->isEnabled(), !c.sameAsSource);
        EXPECT_EQ(RunDialog(dialog, [](COption& d) { Click(d, COption::IdOk); }), QDialog::Accepted)
            << c.folder;
        EXPECT_EQ(settings_.OUTPUT.DesDir, c.stored) << c.folder;
        EXPECT_EQ(settings_.OUTPUT.SameAsSrc, c.sameAsSource ? 1 : 0);
    }
}

TEST_F(OptionTest, TheBrowseButtonPutsThePickedFolderIntoTheEdit) {
    QTemporaryDir outputs;
    ASSERT_TRUE(QDir(outputs.path()).mkpath("Converted"));
    settings_.OUTPUT.DesDir = outputs.path().toStdString() + "/";
    COption dialog(settings_, store_, &presets_);
    QString pickerTitle;
    QString pickerFolder;
    RunDialog(dialog, [&](COption& d) {
        Click(d, COption::IdSameAsSource);
        EXPECT_FALSE(d.Control(COption::IdBrowse)->isEnabled());
        Click(d, COption::IdSaveFilesTo);
        ASSERT_TRUE(d.Control(COption::IdBrowse)->isEnabled());
        AnswerNextModal([&](QWidget& modal) {
            auto* picker = qobject_cast<QFileDialog*>(&modal);
            ASSERT_NE(picker, nullptr);
            pickerTitle = picker->windowTitle();
            pickerFolder = picker->directory().absolutePath();
            picker->selectUrl(QUrl::fromLocalFile(outputs.path() + "/Converted"));
            static_cast<QDialog*>(picker)->accept();
        });
        Click(d, COption::IdBrowse);
        EXPECT_EQ(Text(d, COption::IdFolderEdit), outputs.path() + "/Converted");
        Click(d, COption::IdOk);
    });
    EXPECT_EQ(pickerTitle, "Specify the Output Folder");
    EXPECT_EQ(pickerFolder, QDir(outputs.path()).absolutePath());
    EXPECT_EQ(settings_.OUTPUT.DesDir, outputs.path().toStdString() + "/Converted/");
}

TEST_F(OptionTest, AnEmptyFolderIsRefusedAndTheDialogStaysOpen) {
    settings_.OUTPUT.DesDir.clear();
    COption dialog(settings_, store_, &presets_);
    QStringList announced{"untouched"};
    QObject::connect(&dialog, &COption::acceptedTypesChanged,
                     [&](const QStringList& types) { announced = types; });
    QString message;
    bool openAfterRefusal = false;
    const int result = RunDialog(dialog, [&](COption& d) {
        static_cast<QCheckBox*>(d.Control(COption::TypeBoxId(FormatOgg)))->setChecked(false);
        Choose(d, COption::IdFormatList, 2);
        AnswerNextModal([&](QWidget& modal) {
            auto* box = qobject_cast<QMessageBox*>(&modal);
            ASSERT_NE(box, nullptr);
            message = box->text();
            EXPECT_EQ(box->icon(), QMessageBox::Critical);
            box->accept();
        });
        Click(d, COption::IdOk);
        openAfterRefusal = d.isVisible();
        Click(d, COption::IdCancel);
    });
    EXPECT_EQ(message, "Invalidate Output Folder!");
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(result, QDialog::Rejected);
    // What came before the folder was judged stays stored; the format does not.
    EXPECT_EQ(settings_.OUTPUT.Filter, AllFilterBits() & ~FilterOgg);
    EXPECT_EQ(announced, QStringList({"WAV", "MP3", "WMA", "FLAC", "OPUS", "AIFF", "AIF", "AIFC"}));
    EXPECT_EQ(settings_.OUTPUT.OutputFormat, FormatMp3);
}

TEST_F(OptionTest, NoTypeCheckedStoresAnEmptyFilter) {
    COption dialog(settings_, store_, &presets_);
    RunDialog(dialog, [](COption& d) {
        for (const FormatInfo& format : FormatTable) {
            static_cast<QCheckBox*>(d.Control(COption::TypeBoxId(format.code)))->setChecked(false);
        }
        Click(d, COption::IdOk);
    });
    EXPECT_EQ(settings_.OUTPUT.Filter, 0);
    EXPECT_TRUE(dialog.ScanExtensionList().isEmpty());
}

TEST_F(OptionTest, ResetAnsweredYesRestoresTheDefaultsAndDeletesTheFile) {
    settings_.OUTPUT.OutputFormat = FormatWma;
    settings_.OUTPUT.Filter = FilterMp3;
    settings_.WMA.Profile = 20;
    ASSERT_TRUE(store_.SaveSettings(settings_, ""));
    ASSERT_TRUE(std::filesystem::exists(ConfigPath()));

    COption dialog(settings_, store_, &presets_);
    int resets = 0;
    QObject::connect(&dialog, &COption::settingsReset, [&] { ++resets; });
    RunDialog(dialog, [&](COption& d) {
        AnswerNextModal([](QWidget& modal) {
            auto* box = qobject_cast<QMessageBox*>(&modal);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), "Reset ALL Options, Are You Sure?");
            box->button(QMessageBox::No)->click();
        });
        Click(d, COption::IdReset);
        EXPECT_EQ(settings_.OUTPUT.OutputFormat, FormatWma);
        EXPECT_TRUE(std::filesystem::exists(ConfigPath()));

        AnswerNextModal([](QWidget& modal) {
            static_cast<QMessageBox&>(modal).button(QMessageBox::Yes)->click();
        });
        Click(d, COption::IdReset);
        EXPECT_EQ(Text(d, COption::IdFormatList), " MP3  (MPEG-1 Audio Layer 3)");
        EXPECT_EQ(Text(d, COption::IdEncoderList), " 128 kbits per second");
        EXPECT_TRUE(d.Control(COption::IdEncoderList)->isVisible());
        EXPECT_TRUE(Checked(d, COption::TypeBoxId(FormatWav)));
        Click(d, COption::IdCancel);
    });
    EXPECT_EQ(resets, 1);
    EXPECT_FALSE(std::filesystem::exists(ConfigPath()));
    const ConversionSettings defaults;
    EXPECT_EQ(settings_.OUTPUT.OutputFormat, defaults.OUTPUT.OutputFormat);
    EXPECT_EQ(settings_.OUTPUT.Filter, defaults.OUTPUT.Filter);
    EXPECT_EQ(settings_.WMA.Profile, defaults.WMA.Profile);
    EXPECT_EQ(settings_.OUTPUT.DesDir, SettingsStore::DefaultOutputFolder());
}

TEST_F(OptionTest, HandEditedValuesOutsideTheListsShowNoSelectionAndOkRepairsThem) {
    settings_.MP3.LameBits = 40;
    settings_.MP3.Freq = 3;
    settings_.MP3.LameChannel = -2;
    COption dialog(settings_, store_, &presets_);
    EXPECT_EQ(dialog.List(COption::IdEncoderList)->currentIndex(), -1);
    EXPECT_EQ(dialog.List(COption::IdChannelList)->currentIndex(), -1);
    RunDialog(dialog, [](COption& d) { Click(d, COption::IdOk); });
    EXPECT_EQ(settings_.MP3.LameBits, DefaultMp3BitsIndex);
    EXPECT_EQ(settings_.MP3.LameChannel, ChannelAuto);
    EXPECT_EQ(settings_.MP3.Freq, 3);

    // An unknown format selects no row; OK then changes no encoder field.
    settings_.OUTPUT.OutputFormat = 9;
    settings_.WAV.SubFormat = 7;
    COption unknown(settings_, store_, &presets_);
    EXPECT_EQ(unknown.List(COption::IdFormatList)->currentIndex(), -1);
    EXPECT_EQ(unknown.List(COption::IdRateList)->count(), 10);
    EXPECT_EQ(unknown.List(COption::IdEncoderList)->count(), 0);
    RunDialog(unknown, [](COption& d) { Click(d, COption::IdOk); });
    EXPECT_EQ(settings_.OUTPUT.OutputFormat, 9);
    EXPECT_EQ(settings_.WAV.SubFormat, 7);
}

TEST_F(OptionTest, FilesAtOnceOffersAutomaticAndOneToSixteen) {
    COption dialog(settings_, store_, &presets_);
    QComboBox* jobs = dialog.List(COption::IdJobsList);
    EXPECT_EQ(Text(dialog, COption::IdJobsLabel), "Files at once:");
    ASSERT_EQ(jobs->count(), 17);
    EXPECT_EQ(jobs->currentIndex(), 0);
    EXPECT_TRUE(jobs->itemText(0).startsWith(" Automatic (")) << jobs->itemText(0).toStdString();
    EXPECT_EQ(jobs->itemText(16), " 16");
    Choose(dialog, COption::IdJobsList, 3);
    RunDialog(dialog, [](COption& d) { Click(d, COption::IdOk); });
    EXPECT_EQ(settings_.OUTPUT.Jobs, 3);

    // A hand-edited value outside the list shows no row, and OK puts back the automatic count.
    for (const auto& [stored, row, kept] :
         {std::tuple{16, 16, 16}, std::tuple{40, -1, 0}, std::tuple{-2, -1, 0}}) {
        settings_.OUTPUT.Jobs = stored;
        COption edited(settings_, store_, &presets_);
        EXPECT_EQ(edited.List(COption::IdJobsList)->currentIndex(), row) << stored;
        RunDialog(edited, [](COption& d) { Click(d, COption::IdOk); });
        EXPECT_EQ(settings_.OUTPUT.Jobs, kept) << stored;
    }
}

TEST_F(OptionTest, WithoutThePresetFileEveryPresetKeepsItsRow) {
    settings_.OUTPUT.OutputFormat = FormatWma;
    settings_.WMA.Profile = 55;
    COption dialog(settings_, store_, nullptr);
    QComboBox* presets = dialog.List(COption::IdRateList);
    EXPECT_EQ(presets->count(), 44);
    EXPECT_EQ(presets->currentIndex(), 43);
    EXPECT_TRUE(presets->currentText().contains("not available"));
    RunDialog(dialog, [](COption& d) {
        Choose(d, COption::IdRateList, 0);
        Click(d, COption::IdOk);
    });
    EXPECT_EQ(settings_.WMA.Profile, 12);
}

}  // namespace
}  // namespace tonquill
