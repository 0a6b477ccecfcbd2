#!/usr/bin/env python3
"""Peak memory of saldo-server for one large SetSaldComer call.

Creates a database with the demonstration data and the large suppliers (init --scale), starts
the server, sends one valid change packet of about SIZE megabytes (implanted "Não", so the
ledger rule does not refuse it) and reports the server's peak resident memory (VmHWM) against
the size of the request line.

Usage: bench/server/peak_memory.py SALDO_SERVER [SIZE_MB=200] [WORK_DIR=/tmp/saldo-peak]
"""
import json
import os
import re
import shutil
import socket
import subprocess
import sys
import time

server_path = sys.argv[1]
size_mb = int(sys.argv[2]) if len(sys.argv) > 2 else 200
work = sys.argv[3] if len(sys.argv) > 3 else "/tmp/saldo-peak"
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
url = "sqlite:" + os.path.join(work, "saldo.db")
subprocess.run([server_path, "init", "--db", url, "--demo", "--scale", "100000"], check=True,
               stderr=subprocess.DEVNULL)

log = open(os.path.join(work, "server.log"), "w+")
server = subprocess.Popen([server_path, "serve", "--db", url, "--listen", "127.0.0.1:0",
                           "--max-message", str(1 << 30), "--read-timeout", "600"], stderr=log)


def port():
    for _ in range(500):
        log.seek(0)
        found = re.search(r"em 127\.0\.0\.1:(\d+)", log.read())
        if found:
            return int(found.group(1))
        time.sleep(0.02)
    raise SystemExit("the server did not start")


def cpu_seconds():
    with open("/proc/%d/stat" % server.pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def status(field):
    with open("/proc/%d/status" % server.pid) as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1]) * 1024
    return 0


try:
    stream = socket.create_connection(("127.0.0.1", port())).makefile("rwb")

    def call(method, params, request_id=1):
        request = {"jsonrpc": "2.0", "id": request_id,
                   "method": "Rdq63500.rdmSaldComer." + method, "params": params}
        line = (json.dumps(request, ensure_ascii=False, separators=(",", ":")) + "\n").encode()
        stream.write(line)
        stream.flush()
        return json.loads(stream.readline()), len(line)

    fields = call("GetSaldComer", ["01", ""])[0]["result"]["fields"]
    accounts = ["2.1.1.01.0001", "2.1.1.01.0002", "2.1.1.02.0001"]
    suppliers = 695  # G000001.. created by --scale 100000
    changes, size, n = [], 0, 0
    while size < size_mb * 1000 * 1000:
        supplier, rest = n % suppliers, n // suppliers
        account, month = accounts[rest % 3], rest // 3
        year, mon = 1900 + month // 12, month % 12 + 1
        last = [31, 29 if year % 4 == 0 and (year % 100 != 0 or year % 400 == 0) else 28, 31,
                30, 31, 30, 31, 31, 30, 31, 30, 31][mon - 1]
        row = ["%04d-%02d-%02d" % (year, mon, last), account, "Fornecedores Nacionais",
               "Fornecedor de Teste %06d Ltda." % (supplier + 1), round(n * 0.37 % 10000, 2),
               "Não", "01", "F", "G%06d" % (supplier + 1), "12.345.678/0001-90", "J"]
        change = {"kind": "inserted", "new": row}
        changes.append(change)
        size += len(json.dumps(change, ensure_ascii=False, separators=(",", ":"))) + 1
        n += 1
    base = status("VmRSS")
    cpu = cpu_seconds()
    started = time.time()
    reply, line_bytes = call("SetSaldComer", ["01", "", {"fields": fields, "changes": changes}], 2)
    elapsed = time.time() - started
    cpu = cpu_seconds() - cpu
    peak = status("VmHWM")
    outcome = "ok" if "result" in reply else "erro: " + reply["error"]["message"][:200]
    print("changes: %d, request line: %.1f MB, reply: %s, %.1f s (server CPU %.1f s)" %
          (len(changes), line_bytes / 1e6, outcome, elapsed, cpu))
    print("server RSS before the call: %.1f MB; peak: %.1f MB; peak above start: %.2f x the line"
          % (base / 1e6, peak / 1e6, (peak - base) / line_bytes))
    log.seek(0)
    longest = max((len(line) for line in log.read().splitlines()), default=0)
    print("longest server log line: %d characters" % longest)
finally:
    server.terminate()
    server.wait()
