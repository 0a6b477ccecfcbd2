#!/usr/bin/env python3
"""The calls the cluster test makes, over a plain socket (docs/protocol.md), each on a new
connection that signs in first (as scripts/cluster.sh's user), and bounded by a time-out.

  saldo_call.py save HOST:PORT MONTH_END KEY [PID]
      saves one client balance of company 01 (not implanted, so no ledger limit) dated
      MONTH_END under request KEY, sending it again with the same key until it is stored, for
      at most 30 s; prints the milliseconds it took and the attempts. With PID, that process
      is killed (SIGKILL) first and the time runs from the kill.
  saldo_call.py count HOST:PORT MONTH_END...   prints how many of the company's client balances
                                               are dated on each MONTH_END
"""
import json
import os
import signal
import socket
import sys
import time

METHOD = "Rdq63500.rdmSaldComer."
CALL_TIMEOUT_S = 5
SAVE_DEADLINE_S = 30
PAUSE_S = 0.1
MAX_REPLY = 16 << 20
# The client balances' field list (core/BalanceLayout), so that a save is a single call.
CLIENT_FIELDS = [
    {"name": "DTIMPSALDO", "type": "datetime"},
    {"name": "CDCONTCTBL", "type": "string", "size": 16},
    {"name": "NMCONTCTBL", "type": "string", "size": 40},
    {"name": "NMRAZAOSOCIAL", "type": "string", "size": 50},
    {"name": "VRIMPSALDO", "type": "double"},
    {"name": "TIPSALDO", "type": "fixedstring", "size": 3},
    {"name": "CDEMPRESA", "type": "string", "size": 2},
    {"name": "IDSALDCOME", "type": "string", "size": 1},
    {"name": "CDSALDCOME", "type": "string", "size": 21},
    {"name": "NRINSJUR", "type": "string", "size": 20},
    {"name": "IDTPIJUR", "type": "string", "size": 1},
]


def call(address, method, *params):
    host, _, port = address.rpartition(":")
    login = {"jsonrpc": "2.0", "id": 1, "method": "Sessao.Entrar",
             "params": [os.environ.get("SALDO_CLUSTER_USER", "cluster"),
                        os.environ.get("SALDO_CLUSTER_PASSWORD", "senha-do-cluster")]}
    request = {"jsonrpc": "2.0", "id": 2, "method": METHOD + method, "params": list(params)}
    with socket.create_connection((host, int(port)), timeout=CALL_TIMEOUT_S) as sock:
        sock.sendall((json.dumps(login) + "\n" + json.dumps(request) + "\n").encode())
        replies = sock.makefile("rb")
        reply = replies.readline(MAX_REPLY)
        if reply.endswith(b"\n"):
            reply = replies.readline(MAX_REPLY)
    if not reply.endswith(b"\n"):
        raise ConnectionError("the reply ended before its line did")
    reply = json.loads(reply)
    if "error" in reply:
        raise RuntimeError(reply["error"].get("message", reply["error"]))
    return reply["result"]


def save(address, month_end, key, victim=None):
    row = [month_end, "1.1.2.01.0001", "Clientes Nacionais", "", 12.34, "Não", "01", "C",
           "C00001", None, None]
    delta = {"fields": CLIENT_FIELDS, "changes": [{"kind": "inserted", "new": row}]}
    start = time.monotonic()
    if victim is not None:
        os.kill(int(victim), signal.SIGKILL)
    attempts = 0
    while True:
        attempts += 1
        try:
            call(address, "SetSaldComer", "01", "SaldClie", delta, key, "teste-cluster")
            print("%d %d" % (round((time.monotonic() - start) * 1000), attempts))
            return 0
        except (OSError, ValueError, RuntimeError) as e:
            if time.monotonic() - start > SAVE_DEADLINE_S:
                print("no save stored within %d s after %d attempts; the last: %s"
                      % (SAVE_DEADLINE_S, attempts, e), file=sys.stderr)
                return 1
        time.sleep(PAUSE_S)


def main():
    command, address, *rest = sys.argv[1:]
    if command == "save":
        return save(address, *rest)
    dates = [row[0] for row in call(address, "GetSaldComer", "01", "SaldClie")["rows"]]
    print(" ".join(str(dates.count(month_end)) for month_end in rest))
    return 0


if __name__ == "__main__":
    sys.exit(main())
