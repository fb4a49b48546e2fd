#include "app/MessageBoxObserver.h"

#include <QMessageBox>
#include <iostream>

namespace tonquill {

void MessageBoxObserver::Log(const std::string& text, LogLevel) {
    std::cerr << "tonquill: " << text << '\n';
}

void MessageBoxObserver::Message(const std::string& text, MessageIcon icon) {
    const QMessageBox::Icon shown = icon == MessageIcon::Error     ? QMessageBox::Critical
                                    : icon == MessageIcon::Warning ? QMessageBox::Warning
                                                                   : QMessageBox::Information;
    QMessageBox box(shown, QStringLiteral("Tonquill"), QString::fromStdString(text),
                    QMessageBox::Ok, owner_);
    box.exec();
}

}  // namespace tonquill
