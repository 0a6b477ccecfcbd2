// Request keys and the desktop user's name.
#include "library/RequestKey.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <random>

namespace library {

std::string NewRequestKey() {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::random_device random;
    std::string key;
    for (int i = 0; i < 4; ++i) {
        std::uint32_t word = random();
        for (int j = 0; j < 8; ++j, word >>= 4) key += kDigits[word & 0xF];
    }
    return key;
}

std::string DesktopUserName() {
    if (const passwd* entry = getpwuid(geteuid()); entry != nullptr && entry->pw_name != nullptr)
        return entry->pw_name;
    if (const char* user = std::getenv("USER")) return user;
    return {};
}

}  // namespace library
