#pragma once

namespace tonquill {

// How the owner's row records take part in sorting and row colouring. The list only keeps
// an opaque pointer per row; the owner says which columns compare by number and what a
// row's number is, and whether a row's file is unreadable.
class ReportOwnerRecords {
public:
    virtual ~ReportOwnerRecords() = default;

    virtual bool IsNumericColumn(int column) const = 0;
    // Only asked for numeric columns and rows that carry a record.
    virtual double NumericKey(const void* ownerData, int column) const = 0;
    virtual bool IsUnreadable(const void* ownerData) const = 0;
};

}  // namespace tonquill
