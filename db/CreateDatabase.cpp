// Creating a missing database.
#include "db/CreateDatabase.h"

#include <filesystem>

#include "db/DbError.h"
#include "db/detail/Firebird.h"
#include "db/detail/FirebirdUrl.h"

namespace db {

bool CreateDatabaseIfMissing(const std::string& url) {
    if (url.rfind("sqlite:", 0) == 0) {
        const std::filesystem::path parent = std::filesystem::path(url.substr(7)).parent_path();
        std::error_code error;
        if (!parent.empty()) std::filesystem::create_directories(parent, error);
        if (error) {
            throw DbError("Não foi possível criar a pasta " + parent.string() + ": " +
                          error.message());
        }
        return false;
    }
    if (!detail::IsFirebirdUrl(url)) return false;
    const detail::FirebirdTarget target = detail::ParseFirebirdUrl(url);
    if (detail::FirebirdDatabaseExists(target)) return false;
    detail::CreateFirebirdDatabase(target);
    return true;
}

}  // namespace db
