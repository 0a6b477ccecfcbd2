#!/usr/bin/env python3
"""Calls the three methods of a running saldo-server with nothing but a socket, as
docs/protocol.md describes. Usage: scripts/rpc_demo.py [unix:PATH | HOST:PORT] (default
$SALDO_SERVER, else 127.0.0.1:47630; a comma-separated list of them is tried in turn until one
answers). On a local socket the server knows the user from the
system; over TCP the script logs in with the credentials file (SALDO_CREDENCIAIS, else
~/.config/saldo/credenciais: "usuario=NAME" and "senha=PASSWORD", readable only by you)."""
import json
import os
import socket
import stat
import sys

servers = sys.argv[1] if len(sys.argv) > 1 else os.environ.get("SALDO_SERVER", "127.0.0.1:47630")


def connect(server):
    if server.startswith("unix:"):
        sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        sock.settimeout(10)
        sock.connect(server[len("unix:"):])
        return sock
    host, _, port = server.rpartition(":")
    return socket.create_connection((host.strip("[]") or "127.0.0.1", int(port)), timeout=10)


failures = []
for server in [entry.strip() for entry in servers.split(",")][:16]:
    try:
        sock = connect(server)
        break
    except OSError as e:
        failures.append("%s: %s" % (server, e))
else:
    sys.exit("Não foi possível conectar a nenhum dos servidores de aplicação (%s)."
             % "; ".join(failures))
sock.settimeout(None)
stream = sock.makefile("rwb")
next_id = 0


def call(method, *params, module="Rdq63500.rdmSaldComer."):
    global next_id
    next_id += 1
    request = {"jsonrpc": "2.0", "id": next_id, "method": module + method, "params": list(params)}
    stream.write((json.dumps(request) + "\n").encode())
    stream.flush()
    return json.loads(stream.readline())


def credentials():
    path = os.environ.get("SALDO_CREDENCIAIS") or os.path.join(
        os.environ.get("XDG_CONFIG_HOME") or os.path.expanduser("~/.config"), "saldo", "credenciais")
    with open(path, "rb") as f:
        info = os.fstat(f.fileno())
        if info.st_uid != os.geteuid() or info.st_mode & (stat.S_IRWXG | stat.S_IRWXO):
            sys.exit("O arquivo de credenciais %s deve ser seu e legível só por você: chmod 600 %s"
                     % (path, path))
        lines = f.read(4096).decode().splitlines()
    pairs = dict(line.split("=", 1) for line in lines if "=" in line)
    if not pairs.get("usuario") or not pairs.get("senha"):
        sys.exit("O arquivo de credenciais %s deve ter duas linhas: usuario=NOME e senha=SENHA."
                 % path)
    return pairs["usuario"], pairs["senha"]


def session(method, *params):
    reply = call(method, *params, module="Sessao.")
    if "error" in reply:
        sys.exit("Sessao.%s: %s" % (method, reply["error"]["message"]))
    return reply["result"]


if not server.startswith("unix:"):
    session("Entrar", *credentials())
print("Conectado como", session("Quem")["usuario"])

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
