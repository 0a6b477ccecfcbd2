// The positional arguments of one call: spans of the request line, already checked by the
// strict reader, decoded only when a method asks. A method that takes a large packet reads it
// straight from its span, so no tree of it is ever built.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "rpc/Connection.h"

namespace rpc {

enum class ArgumentType { Null, Boolean, Number, String, Array, Object };

class Arguments {
  public:
    struct Item {
        ArgumentType type = ArgumentType::Null;
        std::string_view json;
    };
    // Only this many arguments are kept; Count() still tells how many came.
    static constexpr std::size_t kMaxKept = 16;

    Arguments() = default;
    // `params` is the whole array's text ("" when the call had none).
    Arguments(std::vector<Item> items, std::size_t count, std::string_view params,
              Connection* origin = nullptr);

    std::size_t Count() const { return count_; }
    // The caller's network address as the server saw it; empty when the call did not come
    // over a connection.
    std::string_view Peer() const {
        return origin_ == nullptr ? std::string_view() : std::string_view(origin_->peer);
    }
    // The connection the call came on; null when it came from within the process.
    Connection* Origin() const { return origin_; }
    // The argument's type and JSON text. Raise RpcError (invalid params) for an index beyond
    // the arguments kept.
    ArgumentType Type(std::size_t index) const;
    std::string_view Json(std::size_t index) const;
    // A string argument, decoded; RpcError (invalid params) for another type.
    std::string String(std::size_t index) const;
    // A number argument; RpcError (invalid params) for another type.
    double Number(std::size_t index) const;
    // One argument, or all of them as an array, as parsed values: for small arguments only.
    nlohmann::json Value(std::size_t index) const;
    nlohmann::json All() const;

  private:
    const Item& At(std::size_t index) const;

    std::vector<Item> items_;
    std::size_t count_ = 0;
    std::string_view params_;
    Connection* origin_ = nullptr;
};

}  // namespace rpc
