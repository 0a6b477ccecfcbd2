// A user's rights on the companies' balances: "consulta" reads, "lançamento" reads and
// writes; a right on one company overrides the right on "*" (every company).
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace server {

enum class Right { Read, Write };

// "consulta" or "lançamento".
std::string_view RightName(Right right);
// The right of that name; nullopt for another text.
std::optional<Right> RightOfName(std::string_view name);
// The stored code: "C" or "L"; and back (nullopt for another code).
std::string_view RightCode(Right right);
std::optional<Right> RightOfCode(std::string_view code);

// Company code (or "*") → right.
using Rights = std::map<std::string, Right, std::less<>>;

// True when the rights allow `needed` on the company: the company's own right when there is
// one, else the right on "*". Write covers read.
bool Covers(const Rights& rights, std::string_view company, Right needed);

// Reads "COMPANY=consulta" or "COMPANY=lançamento" (COMPANY: one or two characters, or "*")
// and adds it to `rights`. Raises core::Error with the expected form for anything else.
void AddRight(Rights& rights, std::string_view text);

}  // namespace server
