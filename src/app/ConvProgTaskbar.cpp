#include "app/ConvProgTaskbar.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QGuiApplication>
#include <QVariantMap>

namespace tonquill {

ConvProgTaskbar::ConvProgTaskbar()
    : appUri_(QStringLiteral("application://%1.desktop")
                  .arg(QFileInfo(QCoreApplication::applicationFilePath()).baseName())),
      // A window drawn off any screen has no dock to show its progress.
      enabled_(QGuiApplication::platformName() != QLatin1String("offscreen")) {}

ConvProgTaskbar::~ConvProgTaskbar() {
    SetState(State::None);
}

void ConvProgTaskbar::SetState(State state) {
    state_ = state;
    Send();
}

void ConvProgTaskbar::SetValue(int completed, int total) {
    fraction_ = total > 0 ? static_cast<double>(completed) / total : 0.0;
    Send();
}

void ConvProgTaskbar::Send() {
    if (!enabled_) {
        return;
    }
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return;
    }
    QDBusMessage signal = QDBusMessage::createSignal(
        QStringLiteral("/com/canonical/unity/launcherentry/tonquill"),
        QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    QVariantMap properties;
    // The entry knows no indeterminate or paused bar: both show the bar as it stands.
    properties.insert(QStringLiteral("progress-visible"), state_ != State::None);
    properties.insert(QStringLiteral("progress"), fraction_);
    properties.insert(QStringLiteral("urgent"), state_ == State::Error);
    signal << appUri_ << properties;
    bus.send(signal);
}

}  // namespace tonquill
