// Connects the framework's application to the Qt main window: forms become MDI children,
// and the framework's dialogs become Qt dialogs.
#pragma once

#include <memory>

namespace host {

class MainWindow;

class Shell {
  public:
    explicit Shell(MainWindow& window);
    ~Shell();
    Shell(const Shell&) = delete;
    Shell& operator=(const Shell&) = delete;

  private:
    MainWindow& window_;
};

}  // namespace host
