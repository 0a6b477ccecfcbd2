// The module-level variables the screen's month parsing writes; they are defined, and
// exported, by the module's unit (module/Cli_Rdq63500.cpp).
#pragma once

#include <cstdint>

extern "C" {
// Month and year of the last month text parsed.
extern std::uint16_t woMes;
extern std::uint16_t woAno;
}
