// The credentials file: how a script, or a desktop that should not ask, names its user to the
// application server without a window. Two lines, "usuario=NAME" and "senha=PASSWORD", in a
// file only its owner may read (like a private key: chmod 600).
#pragma once

#include <filesystem>
#include <optional>
#include <string_view>

#include "core/Error.h"
#include "rpc/Identification.h"

namespace library {

// A credentials file that exists but may not be used: readable by others, not the user's own,
// too large, not UTF-8, or not the two lines. The message names the file.
class CredentialsError : public core::Error {
  public:
    using Error::Error;
};

// The largest credentials file read.
inline constexpr std::size_t kMaxCredentialsFileBytes = 4096;

// SALDO_CREDENCIAIS when set, else $XDG_CONFIG_HOME/saldo/credenciais (~/.config/saldo/...).
std::filesystem::path CredentialsFilePath();

// The user and password in `file`; nothing when the file does not exist.
std::optional<rpc::Credentials> ReadCredentialsFile(const std::filesystem::path& file);

// The two lines' user and password; `file` names the file in the message of a refusal.
rpc::Credentials ParseCredentials(std::string_view text, const std::filesystem::path& file);

// The application server client's credentials callback: the credentials file when the server
// asks the first time, then (or when there is no file) the login window of the application's
// dialog port, preset to the desktop user's name; nothing when neither gives an answer. A file
// that may not be used stops the login with its refusal (rpc::RpcError), since asking for a
// password instead would hide the exposed one.
std::optional<rpc::Credentials> AskCredentials(const rpc::LoginPrompt& prompt);

}  // namespace library
