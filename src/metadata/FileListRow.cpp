#include "metadata/FileListRow.h"

namespace tonquill {

std::string PlainFileListRow::CellText(int column) const {
    return column >= 0 && column < FileListColumnCount ? cells[column] : std::string();
}

void PlainFileListRow::SetCellText(int column, const std::string& text) {
    if (column >= 0 && column < FileListColumnCount) {
        cells[column] = text;
    }
}

void PlainFileListRow::SetCellTextColour(int column, uint32_t colour) {
    if (column >= 0 && column < FileListColumnCount) {
        colours[column] = colour;
    }
}

}  // namespace tonquill
