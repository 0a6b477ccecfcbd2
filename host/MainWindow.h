// The shell's main window: a multi-document area for the screens and a menu that opens them.
#pragma once

#include <QMainWindow>

#include "host/Module.h"

class QMdiArea;

namespace host {

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    explicit MainWindow(ModuleTable& modules);
    QMdiArea* MdiArea() const { return mdi_; }

    // Opens the screen with this code through its module; a failure is shown as an error box
    // and returned as false.
    bool OpenScreen(const QString& code);

  private:
    ModuleTable& modules_;
    QMdiArea* mdi_;
};

}  // namespace host
