#pragma once

#include <Qt>

namespace tonquill {

// What a key does while a cell of the report list is being edited.
enum class EditKeyAction {
    None,            // the key goes to the edit box
    NextColumn,      // Tab: commit, edit the next editable column
    PreviousColumn,  // Shift+Tab: commit, edit the previous editable column
    Commit,          // Enter
    Discard,         // Esc
    RowUp,           // commit, edit the same column one row up (wrapping)
    RowDown,         // commit, edit the same column one row down (wrapping)
};

EditKeyAction EditKeyActionFor(int key, Qt::KeyboardModifiers modifiers);

}  // namespace tonquill
