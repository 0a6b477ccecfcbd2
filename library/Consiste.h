// Validation helpers of the accounting client: blank test, code fitting, month end,
// grid column look-up, error report with abort, and the server result check.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "library/ServerResult.h"
#include "platform/text/DateTime.h"

namespace platform {
class DBGrid;
}

namespace library {

// Shows the text as an error through the dialog port, with `detail` (figures, the reason
// behind) where the port can show it; with `abort` it then ends the operation under way with
// the silent platform::Abort (no second message).
void MensErro(const std::string& text, bool abort = true, const std::string& detail = {});

// True when the text is empty or holds only blanks.
bool EmptyString(const std::string& text);

// Fits a code to `width`: surrounding blanks are dropped and a numeric code shorter than
// the width gets zeros on the left ("5" -> "05"). Anything else comes back trimmed.
std::string Ajusta(const std::string& text, int width);

// The month's last day. A month outside 1..12 or a year outside 1..9999 raises
// platform::ConversionError naming the value.
platform::DateTime UltDiaMes(int month, int year);

// The index of the grid column that shows the field (name compared without letter case),
// or -1 when no column does.
int IndiceCol(const platform::DBGrid& grid, const std::string& fieldName);

// The payload of a successful server result. A failed one raises platform::Error with the
// server's message when `raise` is true; otherwise the message is shown as an error and
// the payload is null.
nlohmann::json CheckResultServ(const TServerResult& result, bool raise = true, int helpContext = 0);

}  // namespace library
