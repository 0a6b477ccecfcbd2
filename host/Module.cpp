// Loading screen modules with dlopen and calling their entries with dlsym.
#include "host/Module.h"

#include <dlfcn.h>

#include <algorithm>
#include <cctype>

namespace host {

std::unique_ptr<Module> Module::Load(const std::string& file,
                                     const std::vector<std::filesystem::path>& dirs) {
    for (const auto& dir : dirs) {
        const auto path = dir / file;
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) continue;
        // RTLD_NODELETE: the module's code must stay mapped while its forms live.
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
        if (handle == nullptr) {
            const char* why = dlerror();
            throw ModuleError("Não foi possível carregar o módulo " + path.string() + ": " +
                              (why != nullptr ? why : "erro desconhecido"));
        }
        return std::unique_ptr<Module>(new Module(handle, path));
    }
    std::string where;
    for (const auto& dir : dirs) where += "\n" + dir.string();
    throw ModuleError("Módulo " + file + " não encontrado em:" + where);
}

void Module::Call(const std::string& name) const {
    dlerror();
    void* symbol = dlsym(handle_, name.c_str());
    if (symbol == nullptr) {
        throw ModuleError("O módulo " + path_.filename().string() + " não exporta " + name + ".");
    }
    using Entry = void (*)();
    // dlsym hands back an object pointer; POSIX guarantees it converts to a function pointer.
    auto entry = reinterpret_cast<Entry>(symbol);
    entry();
}

ModuleTable::ModuleTable(std::vector<std::filesystem::path> dirs) : dirs_(std::move(dirs)) {}

const std::vector<ModuleEntry>& ModuleTable::Known() {
    static const std::vector<ModuleEntry> modules{
        {"RDQ63500", "Saldo Comercial", "libRdq63500.so", "Saldo"},
    };
    return modules;
}

void ModuleTable::Open(const std::string& code) {
    std::string upper = code;
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    const auto& known = Known();
    const auto entry = std::find_if(known.begin(), known.end(),
                                    [&](const ModuleEntry& e) { return e.code == upper; });
    if (entry == known.end()) throw ModuleError("Tela desconhecida: " + code);
    auto found = std::find_if(loaded_.begin(), loaded_.end(),
                              [&](const auto& item) { return item.first == entry->code; });
    if (found == loaded_.end()) {
        loaded_.emplace_back(entry->code, Module::Load(entry->file, dirs_));
        found = std::prev(loaded_.end());
    }
    found->second->Call("IniProc");
}

}  // namespace host
