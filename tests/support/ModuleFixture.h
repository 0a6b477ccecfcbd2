// Test fixture for the screen's module as a host uses it: a real saldo-server on loopback,
// SALDO_SERVER and SALDO_DB pointing at it and its database, scripted dialogs installed in
// the process's Application, and libRdq63500.so opened with dlopen. IniProc, frmSaldComerc,
// woMes and woAno are reached through dlsym only.
#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include "platform/app/Application.h"
#include "screen/TfrmSaldComerc.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/ServerProcess.h"

namespace testsupport {

// Sets an environment variable for the fixture's lifetime and restores it afterwards.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const std::string& value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    const char* name_;
    std::optional<std::string> old_;
};

class ModuleFixture : public ::testing::Test {
  protected:
    // Override to run without a server (then SALDO_SERVER names a port nobody listens on).
    virtual bool WithServer() const { return true; }
    // Override to serve another database: "firebird" (skipped unless SALDO_TEST_FB is set).
    virtual std::string Backend() const { return "sqlite"; }

    void SetUp() override {
        if (WithServer()) {
            if (std::string(SALDO_SERVER_BINARY).empty())
                GTEST_SKIP() << "saldo-server is not built";
            if (Backend() == "firebird" && std::getenv("SALDO_TEST_FB") == nullptr)
                GTEST_SKIP() << "SALDO_TEST_FB is not set: no Firebird server for this test";
            server_ = std::make_unique<ServerProcess>(SALDO_SERVER_BINARY, Backend());
            serverEnv_ = std::make_unique<ScopedEnv>("SALDO_SERVER", server_->Address());
            dbEnv_ = std::make_unique<ScopedEnv>("SALDO_DB", server_->DatabaseURL());
        } else {
            serverEnv_ = std::make_unique<ScopedEnv>(
                "SALDO_SERVER", "127.0.0.1:" + std::to_string(ServerProcess::FreePort()));
        }
        platform::Application::Instance().SetDialogs(&dialogs);
        handle_ = dlopen(SALDO_MODULE_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle_, nullptr) << dlerror();
        iniProc_ = reinterpret_cast<void (*)()>(dlsym(handle_, "IniProc"));
        form_ = static_cast<TfrmSaldComerc**>(dlsym(handle_, "frmSaldComerc"));
        woMes_ = static_cast<std::uint16_t*>(dlsym(handle_, "woMes"));
        woAno_ = static_cast<std::uint16_t*>(dlsym(handle_, "woAno"));
        ASSERT_TRUE(iniProc_ && form_ && woMes_ && woAno_) << "module entries missing";
    }

    void TearDown() override {
        // Free the screen while the module is loaded, so nothing of it outlives the test.
        if (form_ && *form_) {
            platform::Application::Instance().RunEvent([this] { (*form_)->Close(); });
        }
        platform::Application::Instance().ProcessMessages();
        platform::Application::Instance().SetDialogs(nullptr);
        if (handle_) dlclose(handle_);
        handle_ = nullptr;
        dbEnv_.reset();
        serverEnv_.reset();
        server_.reset();
    }

    // Calls the module's entry as a host does.
    void IniProc() { iniProc_(); }
    // The exported instance; null when no screen exists.
    TfrmSaldComerc* Form() const { return *form_; }
    TfrmSaldComerc& Screen() const {
        if (!*form_) throw std::runtime_error("no screen: call IniProc first");
        return **form_;
    }
    std::uint16_t WoMes() const { return *woMes_; }
    std::uint16_t WoAno() const { return *woAno_; }
    ServerProcess* Server() const { return server_.get(); }

    platform::testing::ScriptedDialogs dialogs;

  private:
    std::unique_ptr<ServerProcess> server_;
    std::unique_ptr<ScopedEnv> serverEnv_;
    std::unique_ptr<ScopedEnv> dbEnv_;
    void* handle_ = nullptr;
    void (*iniProc_)() = nullptr;
    TfrmSaldComerc** form_ = nullptr;
    std::uint16_t* woMes_ = nullptr;
    std::uint16_t* woAno_ = nullptr;
};

}  // namespace testsupport
