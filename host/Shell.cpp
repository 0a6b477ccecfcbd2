// The bridge between the framework's application and the Qt main window.
#include "host/Shell.h"

#include "host/MainWindow.h"

namespace host {

Shell::Shell(MainWindow& window) : window_(window) {}

Shell::~Shell() = default;

}  // namespace host
