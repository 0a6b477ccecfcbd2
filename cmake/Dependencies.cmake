# Third-party packages, all from Debian (scripts/setup.sh installs them).
find_package(Threads REQUIRED)
find_package(nlohmann_json 3.10 REQUIRED)
find_package(SQLite3 REQUIRED)
find_package(PostgreSQL REQUIRED)
find_package(CLI11 CONFIG REQUIRED)
# libcrypto's base64, libssl for TLS between client and server; ICU's Unicode normalisation for
# comparing typed names.
find_package(OpenSSL REQUIRED COMPONENTS Crypto SSL)
find_package(ICU REQUIRED COMPONENTS uc)
# libsodium: the server's password hashes (Argon2id) and session tokens.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SODIUM REQUIRED IMPORTED_TARGET libsodium)

# Asio is header-only and ships no CMake package.
find_path(ASIO_INCLUDE_DIR asio.hpp REQUIRED)
add_library(asio INTERFACE)
target_include_directories(asio SYSTEM INTERFACE ${ASIO_INCLUDE_DIR})
target_compile_definitions(asio INTERFACE ASIO_STANDALONE ASIO_NO_DEPRECATED)
target_link_libraries(asio INTERFACE Threads::Threads)

# Firebird's client library (firebird-dev) ships no CMake package.
find_path(FIREBIRD_INCLUDE_DIR ibase.h REQUIRED)
find_library(FIREBIRD_CLIENT_LIBRARY fbclient REQUIRED)
add_library(Firebird::fbclient UNKNOWN IMPORTED)
set_target_properties(Firebird::fbclient PROPERTIES IMPORTED_LOCATION ${FIREBIRD_CLIENT_LIBRARY}
                                                   INTERFACE_INCLUDE_DIRECTORIES ${FIREBIRD_INCLUDE_DIR})

# Debian's SOCI ships no CMake package either: import its core and the three backends we use.
find_path(SOCI_INCLUDE_DIR soci/soci.h REQUIRED)
foreach(part core sqlite3 postgresql firebird)
  find_library(SOCI_${part}_LIBRARY soci_${part} REQUIRED)
  add_library(SOCI::${part} UNKNOWN IMPORTED)
  set_target_properties(SOCI::${part} PROPERTIES IMPORTED_LOCATION ${SOCI_${part}_LIBRARY}
                                                 INTERFACE_INCLUDE_DIRECTORIES ${SOCI_INCLUDE_DIR})
endforeach()
set_property(TARGET SOCI::sqlite3 APPEND PROPERTY INTERFACE_LINK_LIBRARIES SOCI::core SQLite::SQLite3)
set_property(TARGET SOCI::postgresql APPEND PROPERTY INTERFACE_LINK_LIBRARIES SOCI::core PostgreSQL::PostgreSQL)
set_property(TARGET SOCI::firebird APPEND PROPERTY INTERFACE_LINK_LIBRARIES SOCI::core Firebird::fbclient)

if(SALDO_BUILD_TESTS)
  find_package(GTest REQUIRED)
endif()
if(SALDO_BUILD_BENCH)
  find_package(benchmark REQUIRED)
endif()
if(SALDO_BUILD_HOST)
  find_package(Qt6 REQUIRED COMPONENTS Widgets PrintSupport)
endif()
