#pragma once

#include <QDialog>
#include <QTimer>

class QProgressBar;
class QPushButton;

namespace tonquill {

// The loading window: an endless marquee and Cancel, titled with what the load reads. It stays
// out of sight for loads shorter than half a second (ArmShowTimer); Cancel and closing only ask
// the load to stop (cancelRequested), the window goes when the load has ended.
class CProcessing : public QDialog {
    Q_OBJECT
public:
    static constexpr int ShowDelayMs = 500;

    explicit CProcessing(QWidget* parent = nullptr);

    // Shows the window after ShowDelayMs unless it is hidden before.
    void ArmShowTimer();
    // Centres it on the given window, or on the screen without one.
    void CentreOn(QWidget* window);
    // Hides the window and forgets a pending show.
    void Conceal();

    QProgressBar* ProgressBar() const { return bar_; }
    QPushButton* CancelButton() const { return cancel_; }

signals:
    void cancelRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    QProgressBar* bar_;
    QPushButton* cancel_;
    QTimer showTimer_;
};

}  // namespace tonquill
