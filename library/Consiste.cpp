// Validation helpers of the accounting client.
#include "library/Consiste.h"

#include <algorithm>

namespace library {

namespace {
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
}  // namespace

bool EmptyString(const std::string& text) {
    return std::all_of(text.begin(), text.end(), IsBlank);
}

std::string Ajusta(const std::string& text, int width) {
    auto first = std::find_if_not(text.begin(), text.end(), IsBlank);
    auto last = std::find_if_not(text.rbegin(), text.rend(), IsBlank).base();
    std::string code = first < last ? std::string(first, last) : std::string();
    const bool numeric = !code.empty() && std::all_of(code.begin(), code.end(),
                                                      [](char c) { return c >= '0' && c <= '9'; });
    if (numeric && static_cast<int>(code.size()) < width)
        code.insert(0, static_cast<std::size_t>(width) - code.size(), '0');
    return code;
}

}  // namespace library
