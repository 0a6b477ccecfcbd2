// The Portuguese texts of the database failures a user can act on.
#include "db/detail/Failure.h"

#include <utility>

#include "db/DbError.h"

namespace db::detail {

namespace {

const char* WhatHappened(FailureKind kind) {
    switch (kind) {
        case FailureKind::DiskFull:
            return "o disco do banco de dados está cheio. Libere espaço no disco do servidor do "
                   "banco de dados e tente novamente.";
        case FailureKind::Disk:
            return "houve uma falha de leitura ou gravação nos arquivos do banco de dados. "
                   "Verifique o disco do servidor do banco de dados (espaço, permissões, avarias) "
                   "e tente novamente.";
        case FailureKind::Unreachable:
            return "o banco de dados não pôde ser alcançado (servidor fora do ar, conexão perdida "
                   "ou arquivo inacessível). Verifique se o servidor do banco de dados está no ar "
                   "e acessível pela rede, ou se o arquivo do banco existe e pode ser aberto, e "
                   "tente novamente.";
        case FailureKind::Busy:
            return "o banco de dados está ocupado por outra operação e o tempo de espera se "
                   "esgotou. Aguarde alguns instantes e tente novamente.";
        case FailureKind::ReadOnly:
            return "o banco de dados só permite leitura. Verifique as permissões do arquivo ou do "
                   "usuário do banco de dados e se o servidor aceita gravações, e tente novamente.";
        case FailureKind::Conflict:
            return "os dados foram alterados ao mesmo tempo por outro usuário; tente novamente.";
        case FailureKind::Other:
            break;
    }
    return nullptr;
}

}  // namespace

void ThrowFailure(FailureKind kind, std::string_view doing, std::string library) {
    // One line, as a log has it.
    for (char& c : library) {
        if (c == '\n' || c == '\r') c = ' ';
    }
    while (!library.empty() && library.back() == ' ') library.pop_back();
    const char* happened = WhatHappened(kind);
    if (happened == nullptr) throw DbError(std::string(doing) + ": " + library);
    const std::string message = std::string(doing) + ": " + happened;
    if (kind == FailureKind::Conflict) throw LockConflict(message, std::move(library));
    if (kind == FailureKind::Unreachable) throw ConnectionLost(message, std::move(library));
    throw DbError(message, std::move(library));
}

}  // namespace db::detail
