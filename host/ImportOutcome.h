// What the application server answered to an import or its dry run, as the import window
// shows it: every line of the file with its fields, and the reason of each refused one.
#pragma once

#include <QString>
#include <cstddef>
#include <vector>

#include <nlohmann/json_fwd.hpp>

namespace host {

struct ImportPreviewLine {
    std::size_t number = 0;  // in the file, the header being line 1
    QString month;           // "MM/AAAA"
    QString account;
    QString owner;
    QString value;   // "1.234,50 CR", or the text of a line that could not be read
    QString reason;  // empty for an accepted line
};

struct ImportOutcome {
    bool written = false;
    std::size_t accepted = 0;
    std::size_t refused = 0;
    std::vector<ImportPreviewLine> lines;  // by line number
};

// Reads the ImportSaldComer reply; raises core::Error for anything that is not one.
ImportOutcome ImportOutcomeFromJson(const nlohmann::json& reply);

}  // namespace host
