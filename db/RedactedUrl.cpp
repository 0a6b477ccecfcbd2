// Blanking passwords out of database URLs.
#include "db/RedactedUrl.h"

#include <regex>

namespace db {

std::string RedactedUrl(const std::string& url) {
    static const std::regex keyword(R"(password\s*=\s*('[^']*'|\S+))", std::regex::icase);
    static const std::regex uri(R"(://([^:/@]*):[^@/]*@)");
    return std::regex_replace(std::regex_replace(url, keyword, "password=***"), uri, "://$1:***@");
}

}  // namespace db
