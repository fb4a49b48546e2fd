#pragma once

#include <vector>

#include "ui/ReportColumnInfo.h"
#include "ui/ReportColumnLayout.h"

class QHeaderView;

namespace tonquill {

// The report list's columns as its header shows them: which are shown, the width a hidden
// column comes back with, and the display order, in which hidden columns gather at the left
// and a shown column comes back near where it was. The header's sections follow the columns;
// the model's columns are the list's business.
class ReportColumns {
public:
    explicit ReportColumns(QHeaderView& header) : header(header) {}

    int Count() const { return static_cast<int>(columns.size()); }
    // A column at `index` (already in the model, so the header has its section); a width < 0
    // leaves the header's default width.
    void Insert(int index, int width);
    void Remove(int column);

    bool IsShown(int column) const;
    ReportColumnInfo Info(int column) const;
    int Width(int column) const;
    // Refused (false) for a hidden column.
    bool SetWidth(int column, int width);
    // Hides a shown column or shows a hidden one; the caller only asks for a change.
    void Show(int column, bool show);

    // True while the header moves or resizes sections for the list itself, so that the
    // header's signals of those changes are not taken for the user's.
    bool ChangingLayout() const { return ownLayoutChange; }
    // After the user dropped a column at `newVisual`: one dropped among the hidden columns
    // goes just past them.
    void KeepHiddenColumnsFirst(int newVisual);

    // The layout to store: the width a hidden column comes back with, the header's for a
    // shown one.
    ReportColumnLayout Layout() const;

private:
    std::vector<int> DisplayOrder() const;
    void ApplyDisplayOrder(const std::vector<int>& order);
    void ResizeSection(int column, int width);

    QHeaderView& header;
    std::vector<ReportColumnInfo> columns;
    bool ownLayoutChange = false;
};

}  // namespace tonquill
