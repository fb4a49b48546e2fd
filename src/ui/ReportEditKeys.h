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

// The row RowUp (or RowDown) takes the editor to from `row`, wrapping round the list's
// `rowCount` rows (at least one). A row past the end, left when the owner removed rows while
// it handled the committed edit, counts as the last.
int EditRowAfter(EditKeyAction action, int row, int rowCount);

// What a key pressed on the list itself does, before the toolkit's own handling.
enum class ListKeyAction {
    None,                  // the toolkit's handling
    SizeColumnsToContent,  // Ctrl+Keypad+: every shown column to its content
    Swallow,               // Space while no cell is edited: rows are not selected by Space
};

ListKeyAction ListKeyActionFor(int key, Qt::KeyboardModifiers modifiers, bool editing);

}  // namespace tonquill
