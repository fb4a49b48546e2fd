#include <algorithm>
#include <cstdio>

#include "base/Format.h"
#include "cli/CliCommands.h"
#include "cli/InterruptSignal.h"
#include "cli/JsonText.h"
#include "metadata/FileScan.h"
#include "metadata/RowLoader.h"
#include "tags/ExtraTags.h"

namespace tonquill {
namespace {

// JSON keys of the eighteen columns, in column order.
constexpr const char* ColumnKeys[FileListColumnCount] = {
    "name",  "path",         "type",     "tag",       "artist",  "albumArtist",
    "album", "track",        "title",    "genre",     "date",    "comment",
    "size",  "lastModified", "duration", "frequency", "channel", "bitrate"};

// Display width of UTF-8 text: one column per character.
size_t TextWidth(const std::string& text) {
    size_t width = 0;
    for (unsigned char c : text) {
        width += (c & 0xC0) != 0x80;
    }
    return width;
}

void PrintTable(const std::vector<std::unique_ptr<PlainFileListRow>>& rows) {
    size_t widths[FileListColumnCount];
    for (int c = 0; c < FileListColumnCount; ++c) {
        widths[c] = TextWidth(FileListColumns[static_cast<size_t>(c)].heading);
        for (const auto& row : rows) {
            widths[c] = std::max(widths[c], TextWidth(row->CellText(c)));
        }
    }
    auto printRow = [&](const auto& cellOf) {
        std::string line;
        for (int c = 0; c < FileListColumnCount; ++c) {
            std::string cell = cellOf(c);
            // A tag may hold line breaks or escapes; the table shows them as blanks.
            std::replace_if(
                cell.begin(), cell.end(),
                [](char ch) { return static_cast<unsigned char>(ch) < 0x20 || ch == 0x7F; }, ' ');
            const std::string pad(widths[c] - TextWidth(cell), ' ');
            const bool right = FileListColumns[static_cast<size_t>(c)].align == ColumnAlign::Right;
            line += (c ? "  " : "") + (right ? pad + cell : cell + pad);
        }
        while (!line.empty() && line.back() == ' ') {
            line.pop_back();
        }
        std::printf("%s\n", line.c_str());
    };
    printRow([](int c) { return std::string(FileListColumns[static_cast<size_t>(c)].heading); });
    for (const auto& row : rows) {
        printRow([&](int c) { return row->CellText(c); });
    }
}

// Whether the file's tags hold a picture; asked only here, so the list never holds covers.
bool HasCover(const PlainFileListRow& row) {
    return !row.entry.unreadable &&
           HasCoverPicture(row.CellText(ColumnPath) + row.CellText(ColumnName), row.entry.type);
}

// Written row by row: the text of 50 000 rows would otherwise be held whole beside the rows.
void PrintJson(const std::vector<std::unique_ptr<PlainFileListRow>>& rows) {
    std::fputs("[", stdout);
    for (size_t r = 0; r < rows.size(); ++r) {
        const PlainFileListRow& row = *rows[r];
        const FileListEntry& e = row.entry;
        std::string out = r ? ",\n  {" : "\n  {";
        for (int c = 0; c < FileListColumnCount; ++c) {
            out += Format("%s\"%s\": ", c ? ", " : "", ColumnKeys[c]) + JsonString(row.CellText(c));
        }
        // The record's own values, so scripts need not parse the cell texts.
        out += Format(
            ", \"unreadable\": %s, \"formatCode\": %d, \"tagKinds\": %d, \"sampleRate\": %d, "
            "\"channels\": %u, \"totalSamples\": %llu, \"durationSeconds\": %.3f, "
            "\"bitrateKbps\": %d, \"sizeMegabytes\": %.6f, \"cover\": %s}",
            e.unreadable ? "true" : "false", e.type, e.tagKinds, e.sampleRate, e.channels,
            static_cast<unsigned long long>(e.totalSamples), e.durationSeconds, e.bitrateKbps,
            e.sizeMegabytes, HasCover(row) ? "true" : "false");
        std::fputs(out.c_str(), stdout);
    }
    std::fputs(rows.empty() ? "]\n" : "\n]\n", stdout);
}

}  // namespace

int RunProbe(const CommandLine& line, Console& console) {
    InterruptSignal::Install();
    // Files named directly are probed whatever the settings accept; folders use every type.
    const ScanResult scan = ScanPaths(line.paths, AllFilterBits(), line.recursive);
    for (const auto& problem : scan.problems) {
        console.Error(problem);
    }
    std::vector<std::unique_ptr<PlainFileListRow>> rows;
    bool unreadable = false;
    {
        ConsoleObserver observer(console, true);
        RowLoader loader(observer);
        for (const auto& path : scan.files) {
            if (InterruptSignal::Raised()) {
                console.Error("interrupted; no rows were printed");
                return ExitInterrupted;
            }
            rows.push_back(loader.Load(path));
            unreadable = unreadable || rows.back()->entry.unreadable;
        }
    }
    if (line.json) {
        PrintJson(rows);
    } else if (!rows.empty()) {
        PrintTable(rows);
    }
    std::fflush(stdout);
    // Every row is listed, an unreadable one as "Unknown"; the exit status still says that a
    // file could not be read, as convert's does.
    return scan.missingPath || unreadable ? ExitFailed : ExitOk;
}

}  // namespace tonquill
