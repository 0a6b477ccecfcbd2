// The module-level variables of the screen's unit: the month and year of the last month
// text parsed. The screen, which writes them, defines them (ModuleVariables.cpp); the module
// exports them with its entries.
#pragma once

#include <cstdint>

// What the module exports: visible from outside the module's shared object.
#define SALDO_EXPORT __attribute__((visibility("default")))

extern "C" {
SALDO_EXPORT extern std::uint16_t woMes;
SALDO_EXPORT extern std::uint16_t woAno;
}
