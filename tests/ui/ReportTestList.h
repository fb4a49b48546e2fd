#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QHeaderView>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "ui/ReportCtrl.h"
#include "ui/ReportEvents.h"
#include "ui/ReportOwnerRecords.h"

namespace tonquill::test {

// The typed values a file-list row record carries for sorting and colouring.
struct FakeEntry {
    int unreadable = 0;
    uint8_t trackNumber = 0;
    uint8_t trackTotal = 0;
    double sizeMegabytes = 0;
    uint32_t sampleRate = 0;
    uint32_t channels = 0;
    uint32_t bitrateKbps = 0;
};

// Track, Size(MB), Frequency, Channel and Bitrate compare by number, as on the file list.
class FakeRecords : public ReportOwnerRecords {
public:
    bool IsNumericColumn(int column) const override {
        return column == 7 || column == 12 || column == 15 || column == 16 || column == 17;
    }
    double NumericKey(const void* ownerData, int column) const override {
        const auto* entry = static_cast<const FakeEntry*>(ownerData);
        switch (column) {
            case 7:
                return entry->trackNumber * 256.0 + entry->trackTotal;
            case 12:
                return entry->sizeMegabytes;
            case 15:
                return entry->sampleRate;
            case 16:
                return entry->channels;
            default:
                return entry->bitrateKbps;
        }
    }
    bool IsUnreadable(const void* ownerData) const override {
        return static_cast<const FakeEntry*>(ownerData)->unreadable != 0;
    }
};

inline const QStringList& FileListHeadings() {
    static const QStringList headings = {
        "Name",     "Path",          "Type",     "Tag",       "Artist",  "Album Artist",
        "Album",    "Track",         "Title",    "Genre",     "Date",    "Comment",
        "Size(MB)", "Last Modified", "Duration", "Frequency", "Channel", "Bitrate"};
    return headings;
}

inline const std::vector<int>& FileListWidths() {
    static const std::vector<int> widths = {150, 150, 65,  100, 110, 110, 110, 85, 150,
                                            70,  65,  110, 85,  120, 88,  96,  88, 88};
    return widths;
}

// Records every report notification the list sends or posts.
class NotifyRecorder : public QObject {
public:
    struct Sorted {
        int column;
        bool ascending;
    };
    struct Edited {
        int row;
        int column;
        QString cellText;
    };

    std::vector<Sorted> sorted;
    std::vector<Edited> edited;
    std::function<void(const ReportCellEditedEvent&)> onEdited;

    bool event(QEvent* event) override {
        if (event->type() == static_cast<QEvent::Type>(WM_REPORT_SORTED)) {
            const auto* e = static_cast<ReportSortedEvent*>(event);
            sorted.push_back({e->column, e->ascending});
            return true;
        }
        if (event->type() == static_cast<QEvent::Type>(WM_REPORT_CELL_EDITED)) {
            const auto* e = static_cast<ReportCellEditedEvent*>(event);
            edited.push_back({e->row, e->column, e->list->GetItemText(e->row, e->column)});
            if (onEdited) {
                onEdited(*e);
            }
            return true;
        }
        return QObject::event(event);
    }
};

// A shown list with the eighteen file-list columns, a row per entry.
struct FileListFixture {
    FileListFixture() {
        list.SetOwnerRecords(&records);
        list.notifyTarget = &recorder;
        for (int column = 0; column < FileListHeadings().size(); ++column) {
            const bool right =
                column == 2 || column == 3 || column == 7 || column == 10 || column >= 12;
            list.InsertColumn(column, FileListHeadings()[column], right ? 1 : 0,
                              FileListWidths()[column]);
        }
        list.resize(900, 400);
        list.show();
    }

    // Appends a row named `name` with `artist` and the given record.
    int AddRow(const QString& name, const QString& artist = {}, FakeEntry entry = {}) {
        entries.push_back(std::make_unique<FakeEntry>(entry));
        const int row = list.InsertItem(list.GetItemCount(), name);
        list.SetItemText(row, 4, artist);
        list.SetItemData(row, entries.back().get());
        return row;
    }

    QStringList Column(int column) const {
        QStringList texts;
        for (int row = 0; row < list.GetItemCount(); ++row) {
            texts << list.GetItemText(row, column);
        }
        return texts;
    }

    FakeRecords records;
    NotifyRecorder recorder;
    CReportCtrl list;
    std::vector<std::unique_ptr<FakeEntry>> entries;
};

}  // namespace tonquill::test
