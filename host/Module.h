// A screen module (shared object) loaded at run time, and the table of modules the shell offers.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/Exceptions.h"

namespace host {

// A module that is missing, cannot be loaded, or lacks an entry.
class ModuleError : public platform::Error {
  public:
    using Error::Error;
};

class Module {
  public:
    // Looks for `file` in each of `dirs` in turn and loads the first one found. The module
    // stays mapped until the process ends: its forms may outlive this object inside the
    // shared Application, and their code must not be unmapped under them.
    static std::unique_ptr<Module> Load(const std::string& file,
                                        const std::vector<std::filesystem::path>& dirs);
    ~Module() = default;
    Module(const Module&) = delete;
    Module& operator=(const Module&) = delete;

    // Calls the exported entry `name`, a function without arguments or result. What the entry
    // raises reaches the caller unchanged.
    void Call(const std::string& name) const;
    const std::filesystem::path& Path() const { return path_; }

  private:
    Module(void* handle, std::filesystem::path path) : handle_(handle), path_(std::move(path)) {}
    void* handle_;
    std::filesystem::path path_;
};

// One screen the shell can open: its code (as given to --open), menu caption, file, and
// what one of its rows is called in the status line ("Saldo gravado.").
struct ModuleEntry {
    std::string code;
    std::string caption;
    std::string file;
    std::string recordName;
};

// Loads each module on first use and opens its screen through `IniProc`. Opening the same
// screen again calls `IniProc` again: the module decides to bring its window forward.
class ModuleTable {
  public:
    explicit ModuleTable(std::vector<std::filesystem::path> dirs);
    static const std::vector<ModuleEntry>& Known();
    // Throws ModuleError for an unknown code; whatever IniProc raises passes through.
    void Open(const std::string& code);

  private:
    std::vector<std::filesystem::path> dirs_;
    std::vector<std::pair<std::string, std::unique_ptr<Module>>> loaded_;
};

}  // namespace host
