// Wait cursor and delayed progress indicator for synchronous server calls.
#include "host/BusyIndicator.h"

#include "host/MainWindow.h"

#include <QApplication>
#include <QCursor>
#include <QMainWindow>
#include <QProgressBar>
#include <QStatusBar>
#include <QWidget>

namespace host {

BusyIndicator::BusyIndicator(QWidget* window) : window_(window) {
    delay_.setSingleShot(true);
    delay_.setInterval(kIndicatorDelayMs);
    connect(&delay_, &QTimer::timeout, this, &BusyIndicator::ShowIndicator);
}

BusyIndicator::~BusyIndicator() {
    while (depth_ > 0) Stop();
}

void BusyIndicator::Start() {
    if (depth_++ > 0) return;
    QApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    elapsed_.start();
    delay_.start();
    // The call that follows blocks this thread: let the new cursor reach the screen first.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void BusyIndicator::Stop() {
    if (depth_ == 0) return;
    if (--depth_ > 0) return;
    delay_.stop();
    if (indicator_ != nullptr) indicator_->hide();
    QApplication::restoreOverrideCursor();
}

bool BusyIndicator::IndicatorShown() const {
    return indicator_ != nullptr && indicator_->isVisible();
}

void BusyIndicator::ShowIndicator() {
    if (depth_ == 0) return;
    auto* main = qobject_cast<QMainWindow*>(window_);
    auto* shell = qobject_cast<MainWindow*>(window_);
    if (indicator_ == nullptr) {
        // A child of the main window, so it goes away with it; an indeterminate bar, in the
        // status line where there is one.
        indicator_ = new QProgressBar(window_);
        indicator_->setObjectName("BusyIndicator");
        indicator_->setRange(0, 0);
        indicator_->setTextVisible(false);
        indicator_->setFixedSize(160, 14);
        indicator_->setAccessibleName(QStringLiteral("Aguarde"));
        indicator_->setToolTip(QStringLiteral("Aguardando o servidor…"));
        if (shell != nullptr)
            shell->AddStatusWidget(indicator_);
        else if (main != nullptr)
            main->statusBar()->addPermanentWidget(indicator_);
    }
    if (main == nullptr && window_ != nullptr) {
        indicator_->move(window_->width() - indicator_->width() - 12,
                         window_->height() - indicator_->height() - 6);
    }
    indicator_->show();
    indicator_->raise();
}

}  // namespace host
