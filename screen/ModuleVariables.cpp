// The month and year of the last month text parsed, zero until the first month entry.
#include "screen/ModuleVariables.h"

extern "C" {
std::uint16_t woMes = 0;
std::uint16_t woAno = 0;
}
