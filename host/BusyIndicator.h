// The busy animation: a wait cursor at once, and a small progress indicator when the
// operation is still running after a short delay.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

class QProgressBar;
class QWidget;

namespace host {

class BusyIndicator : public QObject {
    Q_OBJECT
  public:
    static constexpr int kIndicatorDelayMs = 300;

    explicit BusyIndicator(QWidget* window);
    ~BusyIndicator() override;

    // Nested starts count: the cursor comes back with the last Stop. Stop without a running
    // animation does nothing.
    void Start();
    void Stop();
    bool Running() const { return depth_ > 0; }
    bool IndicatorShown() const;

  private:
    void ShowIndicator();

    QWidget* window_;
    QProgressBar* indicator_ = nullptr;
    QTimer delay_;
    QElapsedTimer elapsed_;
    int depth_ = 0;
};

}  // namespace host
