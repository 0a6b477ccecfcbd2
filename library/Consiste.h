// Validation helpers of the accounting client: blank test, code fitting, month end,
// grid column look-up, error report with abort, and the server result check.
#pragma once

#include <string>

namespace library {

// True when the text is empty or holds only blanks.
bool EmptyString(const std::string& text);

// Fits a code to `width`: surrounding blanks are dropped and a numeric code shorter than
// the width gets zeros on the left ("5" -> "05"). Anything else comes back trimmed.
std::string Ajusta(const std::string& text, int width);

}  // namespace library
