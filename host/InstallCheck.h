// `saldo-shell --check`: verifies a desktop installation without showing a window: the
// configuration is read, the database answers, the application server answers, and every
// screen module loads and opens its screen.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace host {

class ModuleTable;

// Prints one line per step to `out` and returns the process's exit status: 0 when every step
// passed, 1 otherwise. Every step runs even after one has failed, so one run shows all faults.
int RunInstallCheck(ModuleTable& modules, const std::vector<std::string>& codes, std::ostream& out);

}  // namespace host
