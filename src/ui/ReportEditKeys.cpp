#include "ui/ReportEditKeys.h"

#include <algorithm>

namespace tonquill {

EditKeyAction EditKeyActionFor(int key, Qt::KeyboardModifiers modifiers) {
    switch (key) {
        case Qt::Key_Tab:
            return (modifiers & Qt::ShiftModifier) ? EditKeyAction::PreviousColumn
                                                   : EditKeyAction::NextColumn;
        case Qt::Key_Backtab:
            return EditKeyAction::PreviousColumn;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return EditKeyAction::Commit;
        case Qt::Key_Escape:
            return EditKeyAction::Discard;
        case Qt::Key_Up:
            return EditKeyAction::RowUp;
        case Qt::Key_Down:
            return EditKeyAction::RowDown;
        default:
            return EditKeyAction::None;
    }
}

int EditRowAfter(EditKeyAction action, int row, int rowCount) {
    const int step = action == EditKeyAction::RowUp ? rowCount - 1 : 1;
    return (std::min(row, rowCount - 1) + step) % rowCount;
}

ListKeyAction ListKeyActionFor(int key, Qt::KeyboardModifiers modifiers, bool editing) {
    if (key == Qt::Key_Plus && (modifiers & Qt::ControlModifier) &&
        (modifiers & Qt::KeypadModifier)) {
        return ListKeyAction::SizeColumnsToContent;
    }
    if (key == Qt::Key_Space && !editing) {
        return ListKeyAction::Swallow;
    }
    return ListKeyAction::None;
}

}  // namespace tonquill
