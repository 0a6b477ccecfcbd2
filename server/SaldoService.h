// The remote module "Rdq63500.rdmSaldComer": reads a company's balances of one kind as a record
// packet, applies change packets in one transaction, and judges a ledger account's room for a
// new implanted balance.
#pragma once

#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "db/ConnectionPool.h"
#include "server/PacketJson.h"

namespace server {

class SaldoService {
  public:
    explicit SaldoService(db::ConnectionPool& pool) : pool_(pool) {}

    // The record packet (JSON text) of the company's balances of the tag's kind, ordered by
    // month, account and owner, with the account's and the owner's names joined in.
    std::string GetSaldComer(const std::string& company, const std::string& tag);

    // Applies every change of the packet or none. Throws rpc::RpcError: a conflict when a
    // modified or deleted row no longer holds its original values, a refusal for a row of
    // another company or kind, a month that is no month's last day, a duplicate key, or an
    // implanted total beyond the ledger balance.
    void SetSaldComer(const std::string& company, const std::string& tag,
                      const nlohmann::json& delta);

    // True when the account is analytic with a commercial type and the value added to the
    // implanted balances stored for the company, account and month stays within the ledger
    // balance. A malformed month or an unknown account gives false.
    bool GetVdSaldoContCtbl(const std::string& company, const std::string& account,
                            const std::string& month, double value);

  private:
    db::ConnectionPool& pool_;
};

// Whether an implanted total fits a ledger balance, credit positive: 0 <= T <= L when L >= 0,
// L <= T <= 0 when L < 0.
bool WithinLedger(std::int64_t total, std::int64_t ledger);

}  // namespace server
