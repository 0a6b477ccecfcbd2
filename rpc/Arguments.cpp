// Decoding arguments from their spans.
#include "rpc/Arguments.h"

#include <nlohmann/json.hpp>

#include "core/Json.h"
#include "rpc/RpcError.h"

namespace rpc {

Arguments::Arguments(std::vector<Item> items, std::size_t count, std::string_view params,
                     Connection* origin)
    : items_(std::move(items)), count_(count), params_(params), origin_(origin) {}

const Arguments::Item& Arguments::At(std::size_t index) const {
    if (index >= items_.size())
        throw RpcError(kInvalidParams, "Argumento " + std::to_string(index + 1) +
                                           " inexistente ou além dos " + std::to_string(kMaxKept) +
                                           " primeiros.");
    return items_[index];
}

ArgumentType Arguments::Type(std::size_t index) const {
    return At(index).type;
}

std::string_view Arguments::Json(std::size_t index) const {
    return At(index).json;
}

std::string Arguments::String(std::size_t index) const {
    const Item& item = At(index);
    if (item.type != ArgumentType::String)
        throw RpcError(kInvalidParams,
                       "O argumento " + std::to_string(index + 1) + " deve ser texto.");
    core::JsonReader reader(item.json);
    reader.Next();
    return std::string(reader.Text());
}

double Arguments::Number(std::size_t index) const {
    const Item& item = At(index);
    if (item.type != ArgumentType::Number)
        throw RpcError(kInvalidParams,
                       "O argumento " + std::to_string(index + 1) + " deve ser um número.");
    core::JsonReader reader(item.json);
    reader.Next();
    return reader.Number();
}

nlohmann::json Arguments::Value(std::size_t index) const {
    return core::ParseJson(At(index).json);
}

nlohmann::json Arguments::All() const {
    if (params_.empty()) return nlohmann::json::array();
    return core::ParseJson(params_);
}

}  // namespace rpc
