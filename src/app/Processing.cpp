#include "app/Processing.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

#include "ui/DialogUnits.h"

namespace tonquill {

CProcessing::CProcessing(QWidget* parent)
    : QDialog(parent), bar_(new QProgressBar(this)), cancel_(new QPushButton(tr("Cancel"), this)) {
    setWindowTitle(QStringLiteral("Processing Audio Files..."));
    setModal(false);
    const DialogUnits units(font());
    setFixedSize(units.X(316), units.Y(44));
    bar_->setGeometry(units.Rect(7, 15, 249, 14));
    bar_->setRange(0, 0);  // an endless marquee
    bar_->setTextVisible(false);
    cancel_->setGeometry(units.Rect(262, 14, 47, 16));
    connect(cancel_, &QPushButton::clicked, this, &CProcessing::cancelRequested);
    showTimer_.setSingleShot(true);
    connect(&showTimer_, &QTimer::timeout, this, [this] {
        if (isHidden()) {
            show();
        }
    });
}

void CProcessing::ArmShowTimer() {
    showTimer_.start(ShowDelayMs);
}

void CProcessing::CentreOn(QWidget* window) {
    const QRect area = window != nullptr ? window->frameGeometry()
                       : QGuiApplication::primaryScreen()
                           ? QGuiApplication::primaryScreen()->availableGeometry()
                           : QRect();
    QRect frame = frameGeometry();
    frame.moveCenter(area.center());
    move(frame.topLeft());
}

void CProcessing::Conceal() {
    showTimer_.stop();
    hide();
}

void CProcessing::closeEvent(QCloseEvent* event) {
    event->ignore();
    emit cancelRequested();
}

void CProcessing::reject() {
    emit cancelRequested();
}

}  // namespace tonquill
