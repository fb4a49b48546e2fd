#include "ui/ReportEditKeys.h"

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

}  // namespace tonquill
