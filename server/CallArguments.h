// A call's positional arguments decoded in one place: checked by number and type, and each
// read as the value the service takes (text, a kind by its tag or its code, an optional
// trailing text, the caller), with the message that tells the client what was wrong.
// Raises ArgumentError.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "core/BalanceLayout.h"
#include "rpc/Arguments.h"
#include "server/Caller.h"

namespace server {

struct ExpectedArgument {
    const char* name;
    rpc::ArgumentType type;
};

class CallArguments {
  public:
    // Checks the required arguments by number and type; `optional` more may follow, which the
    // method reads with OptionalText or CallerOf.
    CallArguments(std::string_view method, const rpc::Arguments& arguments,
                  std::initializer_list<ExpectedArgument> expected, std::size_t optional = 0);

    std::string Text(std::size_t index) const { return arguments_.String(index); }
    double Number(std::size_t index) const { return arguments_.Number(index); }
    bool Boolean(std::size_t index) const { return arguments_.Json(index) == "true"; }
    std::string_view Json(std::size_t index) const { return arguments_.Json(index); }

    // A kind by its tag ("", "SaldClie", "SaldBanco").
    core::BalanceKind KindOfTag(std::size_t index) const;
    // A kind by its code ("F", "C", "B").
    core::BalanceKind KindOfCode(std::size_t index) const;
    // The same, or nullopt for "" (every kind).
    std::optional<core::BalanceKind> KindOfCodeOrAll(std::size_t index) const;

    // An optional trailing text of at most `maxChars` characters: absent or null gives
    // nullopt.
    std::optional<std::string> OptionalText(std::size_t index, const char* name,
                                            std::size_t maxChars) const;
    // The optional trailing request key: empty when absent or null; one sent is checked by
    // CheckRequestKey.
    std::string RequestKey(std::size_t index) const;
    // The caller: the identified user and the address the call came from. The user name an
    // older client still sends as the optional trailing argument at `userIndex` is checked
    // (text or null, at most 64 characters) but never taken as the author.
    Caller CallerOf(std::size_t userIndex, std::string identifiedUser) const;

  private:
    std::string_view method_;
    const rpc::Arguments& arguments_;
};

}  // namespace server
