#pragma once

namespace tonquill {

// Row-state flags. A row's state word holds one of each pair; ROW_ALL only selects.
enum : unsigned {
    ROW_ALL = 0x01,
    ROW_SELECTED = 0x02,
    ROW_UNSELECTED = 0x04,
    ROW_CHECKED = 0x08,
    ROW_UNCHECKED = 0x10,
    ROW_FOCUSED = 0x20,
    ROW_UNFOCUSED = 0x40,
};

// A selector matches every row with ROW_ALL, otherwise a row whose state word holds every
// flag of the selector; the empty selector matches nothing.
inline bool RowMatches(unsigned state, unsigned selector) {
    if (selector == 0) {
        return false;
    }
    return (selector & ROW_ALL) != 0 || (state & selector) == selector;
}

}  // namespace tonquill
