// A minimal screen module for the loader tests: IniProc counts its calls, Fail raises.
#include <stdexcept>

namespace {
int calls = 0;
}

extern "C" {
__attribute__((visibility("default"))) void IniProc() {
    ++calls;
}
__attribute__((visibility("default"))) int IniProcCalls() {
    return calls;
}
__attribute__((visibility("default"))) void Fail() {
    throw std::runtime_error("Falhou ao abrir");
}
}
