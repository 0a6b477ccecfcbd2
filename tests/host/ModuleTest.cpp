// Loading a module from a folder list and calling its entries.
#include "host/Module.h"

#include <dlfcn.h>
#include <gtest/gtest.h>

namespace {

const std::vector<std::filesystem::path> kDirs{"/nonexistent", HOST_TEST_MODULE_DIR};

TEST(ModuleTest, LoadsFromTheFirstFolderThatHoldsItAndCallsTheEntry) {
    auto module = host::Module::Load("libHostTestModule.so", kDirs);
    EXPECT_EQ(module->Path().parent_path(), std::filesystem::path(HOST_TEST_MODULE_DIR));
    void* handle = dlopen(module->Path().c_str(), RTLD_NOW | RTLD_NOLOAD);
    ASSERT_NE(handle, nullptr);
    auto calls = reinterpret_cast<int (*)()>(dlsym(handle, "IniProcCalls"));
    const int before = calls();
    module->Call("IniProc");
    module->Call("IniProc");
    EXPECT_EQ(calls(), before + 2);
    dlclose(handle);
}

TEST(ModuleTest, MissingFileAndMissingEntryAreClearErrors) {
    try {
        host::Module::Load("libNaoExiste.so", kDirs);
        FAIL() << "no error";
    } catch (const host::ModuleError& e) {
        EXPECT_NE(std::string(e.what()).find("libNaoExiste.so não encontrado"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find("/nonexistent"), std::string::npos);
    }
    auto module = host::Module::Load("libHostTestModule.so", kDirs);
    EXPECT_THROW(module->Call("NaoExiste"), host::ModuleError);
}

TEST(ModuleTest, WhatTheEntryRaisesReachesTheCaller) {
    auto module = host::Module::Load("libHostTestModule.so", kDirs);
    EXPECT_THROW(module->Call("Fail"), std::runtime_error);
}

TEST(ModuleTest, UnknownScreenCodeIsRefused) {
    host::ModuleTable table({"/nonexistent"});
    EXPECT_THROW(table.Open("XYZ00000"), host::ModuleError);
    // A known code whose file is absent: a clear error, not a crash.
    EXPECT_THROW(table.Open("rdq63500"), host::ModuleError);
}

}  // namespace
