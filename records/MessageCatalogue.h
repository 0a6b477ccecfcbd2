// The balance screen's message catalogue: the lines of its message table `msgPadrao`,
// each a key, "|" and the text shown to the user.
#pragma once

#include <string>
#include <vector>

namespace records {

// Every entry of the catalogue, in table order.
const std::vector<std::string>& MessageCatalogue();

}  // namespace records
