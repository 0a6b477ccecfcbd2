#!/usr/bin/env python3
"""The calls the cluster test makes, over a plain socket (docs/protocol.md), each on a new
connection and bounded by a time-out.

  saldo_call.py save HOST:PORT MONTH_END KEY   saves one client balance of company 01 (not
                                               implanted) dated MONTH_END, under request KEY;
                                               exit 0 when stored, 1 with the reason otherwise
  saldo_call.py count HOST:PORT MONTH_END...   prints how many of the company's client balances
                                               are dated on each MONTH_END
"""
import json
import socket
import sys

METHOD = "Rdq63500.rdmSaldComer."
TIMEOUT_S = 10
MAX_REPLY = 16 << 20


def call(address, method, *params):
    host, _, port = address.rpartition(":")
    request = {"jsonrpc": "2.0", "id": 1, "method": METHOD + method, "params": list(params)}
    with socket.create_connection((host, int(port)), timeout=TIMEOUT_S) as sock:
        sock.sendall((json.dumps(request) + "\n").encode())
        reply = sock.makefile("rb").readline(MAX_REPLY)
    if not reply.endswith(b"\n"):
        raise ConnectionError("a resposta terminou antes do fim da linha")
    return json.loads(reply)


def main():
    command, address, *rest = sys.argv[1:]
    fields = call(address, "GetSaldComer", "01", "SaldClie")["result"]
    if command == "count":
        dates = [row[0] for row in fields["rows"]]
        print(" ".join(str(dates.count(month_end)) for month_end in rest))
        return 0
    month_end, key = rest
    row = [month_end, "1.1.2.01.0001", "Clientes Nacionais", "", 12.34, "Não", "01", "C",
           "C00001", None, None]
    delta = {"fields": fields["fields"], "changes": [{"kind": "inserted", "new": row}]}
    reply = call(address, "SetSaldComer", "01", "SaldClie", delta, key, "teste-cluster")
    if "error" in reply:
        print(reply["error"].get("message", reply["error"]))
        return 1
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except (OSError, ValueError, KeyError, TypeError) as e:
        print("%s: %s" % (type(e).__name__, e))
        sys.exit(1)
