#!/usr/bin/env python3
"""Calls the three methods of a running saldo-server with nothing but a socket, as
docs/protocol.md describes. Usage: scripts/rpc_demo.py [HOST:PORT | unix:PATH] (default
127.0.0.1:47630). Over TCP it signs in first as SALDO_USER with the password SALDO_PASSWORD;
on the local socket the system user running it is identified without a password."""
import json
import os
import socket
import sys

address = sys.argv[1] if len(sys.argv) > 1 else "127.0.0.1:47630"
if address.startswith("unix:"):
    sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
    sock.connect(address[len("unix:"):])
else:
    host, _, port = address.rpartition(":")
    sock = socket.create_connection((host or "127.0.0.1", int(port)))
stream = sock.makefile("rwb")
next_id = 0


def call(method, *params, server="Rdq63500.rdmSaldComer."):
    global next_id
    next_id += 1
    request = {"jsonrpc": "2.0", "id": next_id, "method": server + method,
               "params": list(params)}
    stream.write((json.dumps(request) + "\n").encode())
    stream.flush()
    return json.loads(stream.readline())


if not address.startswith("unix:"):
    login = call("Entrar", os.environ.get("SALDO_USER", ""), os.environ.get("SALDO_PASSWORD", ""),
                 server="Sessao.")
    if "error" in login:
        sys.exit("Sessao.Entrar: " + login["error"]["message"])


packet = call("GetSaldComer", "01", "SaldClie")["result"]
print("GetSaldComer: %d campos, %d saldos; primeiro: %s"
      % (len(packet["fields"]), len(packet["rows"]), packet["rows"][0]))
print("GetVdSaldoContCtbl:", call("GetVdSaldoContCtbl", "01", "1.1.2.01.0001", "02/2025", -10.0))
row = ["2025-02-28", "1.1.2.01.0001", "Clientes Nacionais", "", -10.0, "Sim", "01", "C", "C00001",
       None, None]
delta = {"fields": packet["fields"], "changes": [{"kind": "inserted", "new": row}]}
print("SetSaldComer:", call("SetSaldComer", "01", "SaldClie", delta))
print("SetSaldComer outra vez:", call("SetSaldComer", "01", "SaldClie", delta))
delete = {"fields": packet["fields"], "changes": [{"kind": "deleted", "old": row}]}
print("SetSaldComer (exclusão):", call("SetSaldComer", "01", "SaldClie", delete))
