#pragma once

#include <QWidget>
#include <string>

#include "base/ConversionObserver.h"

namespace tonquill {

// What the core reports outside a batch (start-up, settings, probing): messages become message
// boxes over the owner, log lines go to the terminal.
class MessageBoxObserver : public LogAndMessageObserver {
public:
    explicit MessageBoxObserver(QWidget* owner = nullptr) : owner_(owner) {}
    void SetOwner(QWidget* owner) { owner_ = owner; }

    void Log(const std::string& text, LogLevel level) override;
    void Message(const std::string& text, MessageIcon icon) override;

private:
    QWidget* owner_;
};

}  // namespace tonquill
