#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "metadata/FileListEntry.h"

namespace tonquill {

// One row of a file list as the probe sees it: the record, the cell texts by FileListColumn, a
// cell's text colour and the list's running play time. The window's list and the command-line
// front end each implement it over their own storage.
class FileListRow {
public:
    virtual ~FileListRow() = default;

    virtual FileListEntry& Entry() = 0;
    virtual std::string CellText(int column) const = 0;
    virtual void SetCellText(int column, const std::string& text) = 0;
    // colour is 0x00BBGGRR; the cell is redrawn at once.
    virtual void SetCellTextColour(int column, uint32_t colour) = 0;
    // Adds a probed file's play time to the list's total.
    virtual void AddPlayTime(double seconds) = 0;
};

inline constexpr uint32_t UnreadableTextColour = 255;  // red in 0x00BBGGRR

// A row that keeps everything in memory: for the command-line front end and for tests.
class PlainFileListRow : public FileListRow {
public:
    FileListEntry& Entry() override { return entry; }
    std::string CellText(int column) const override;
    void SetCellText(int column, const std::string& text) override;
    void SetCellTextColour(int column, uint32_t colour) override;
    void AddPlayTime(double seconds) override { playTime += seconds; }

    FileListEntry entry;
    std::array<std::string, FileListColumnCount> cells;
    std::array<std::optional<uint32_t>, FileListColumnCount> colours;
    double playTime = 0.0;
};

}  // namespace tonquill
