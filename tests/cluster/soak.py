#!/usr/bin/env python3
"""Saves under faults on the local cluster of scripts/cluster.sh, checked against the database.

  soak.py faults SECONDS    8 clients save implanted balances with request keys for SECONDS,
                            while an application server is killed (SIGKILL) and started again
                            every few seconds and the PostgreSQL primary is killed twice; then
                            checks every outcome against the database and prints the counts
                            and the longest times without a stored save. Exit status 1 when a
                            check fails.
  soak.py rate SECONDS      saves per second with one application server, then with both
                            (balances not implanted, no faults).

The cluster is the one in SALDO_CLUSTER_DIR (scripts/cluster.sh up). Half the clients reach
the servers through HAProxy, half through the list of both servers, moving to the other when
one cannot be reached, as the desktop does; every connection speaks TLS and trusts a server
only with a certificate for its address signed by the cluster's authority (SALDO_CLUSTER_CA).
A save without an answer is sent again with the same key until it has one (at most 30 s): a
stored save, or a refusal of the balance rule.
"""
import argparse
import calendar
import json
import os
import random
import socket
import ssl
import subprocess
import sys
import threading
import time
import urllib.request

METHOD = "Rdq63500.rdmSaldComer."
CALL_TIMEOUT_S = 10
SETTLE_DEADLINE_S = 30
PAUSE_S = 0.1
MAX_REPLY = 16 << 20
COMPANY = "01"
ACCOUNT = "1.1.2.01.0001"
YEAR = 2050
MONTHS = 12  # made enough for the run's length in main()
CLIENTS = 8
OWNERS_PER_CLIENT = 40
VALUE_CENTS = 10000
# Of the 320 implanted balances each month receives, the ledger balance admits half.
LEDGER_CENTS = 160 * VALUE_CENTS
RULE_REFUSAL = "Não é possível implantar saldo!"
ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
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


def month_end(index):
    year, month = YEAR + index // 12, index % 12 + 1
    return "%04d-%02d-%02d" % (year, month, calendar.monthrange(year, month)[1])


def owner(client, index):
    return "SK%03d" % (client * OWNERS_PER_CLIENT + index)


class Refused(Exception):
    """The server's answer was an error (code, message)."""

    def __init__(self, code, message):
        super().__init__(message)
        self.code = code


class Client:
    """One desktop's connection: signs in once, presents its session on every new connection,
    and moves to the next server of its list when one cannot be reached."""

    def __init__(self, servers, tls):
        self.servers = servers
        self.tls = tls
        self.at = 0
        self.sock = None
        self.replies = None
        self.token = None
        self.next_id = 0

    def close(self):
        if self.replies is not None:
            self.replies.close()
        if self.sock is not None:
            self.sock.close()
        self.sock = self.replies = None

    def _exchange(self, method, params):
        self.next_id += 1
        request = {"jsonrpc": "2.0", "id": self.next_id, "method": method, "params": params}
        self.sock.sendall((json.dumps(request) + "\n").encode())
        line = self.replies.readline(MAX_REPLY)
        if not line.endswith(b"\n"):
            raise ConnectionError("the connection ended before the reply did")
        reply = json.loads(line)
        if "error" in reply:
            raise Refused(reply["error"].get("code"), reply["error"].get("message", ""))
        return reply["result"]

    def _connect(self):
        last = None
        for _ in self.servers:
            host, _, port = self.servers[self.at].rpartition(":")
            try:
                # The handshake is bounded by the connection's time-out too.
                self.sock = self.tls.wrap_socket(
                    socket.create_connection((host, int(port)), timeout=CALL_TIMEOUT_S),
                    server_hostname=host)
                self.replies = self.sock.makefile("rb")
                if self.token is not None:
                    try:
                        self._exchange("Sessao.Retomar", [self.token])
                        return
                    except Refused:
                        self.token = None
                user = os.environ.get("SALDO_CLUSTER_USER", "cluster")
                password = os.environ.get("SALDO_CLUSTER_PASSWORD", "senha-do-cluster")
                self.token = self._exchange("Sessao.Entrar", [user, password])["token"]
                return
            except (OSError, ValueError, Refused) as e:
                last = e
                self.close()
                self.at = (self.at + 1) % len(self.servers)
        raise ConnectionError("no server answered: %s" % last)

    def call(self, method, *params):
        if self.sock is None:
            self._connect()
        try:
            return self._exchange(METHOD + method, list(params))
        except (OSError, ValueError):
            self.close()
            self.at = (self.at + 1) % len(self.servers)
            raise


def save_delta(month, owner_code, implanted):
    row = [month, ACCOUNT, "Clientes Nacionais", "", VALUE_CENTS / 100,
           "Sim" if implanted else "Não", COMPANY, "C", owner_code, None, None]
    return {"fields": CLIENT_FIELDS, "changes": [{"kind": "inserted", "new": row}]}


class Outcomes:
    def __init__(self):
        self.lock = threading.Lock()
        self.stored = {}        # key -> (month, owner)
        self.refused = {}       # key -> (month, owner, message)
        self.unsettled = {}     # key -> (month, owner, last error)
        self.acks = []          # (sent, answered) of every stored save, monotonic seconds
        self.attempts = 0


def settle(client, outcomes, key, month, owner_code, implanted):
    """Sends the save until it has an answer; records the outcome."""
    start = time.monotonic()
    delta = save_delta(month, owner_code, implanted)
    while True:
        sent = time.monotonic()
        with outcomes.lock:
            outcomes.attempts += 1
        try:
            client.call("SetSaldComer", COMPANY, "SaldClie", delta, key)
            with outcomes.lock:
                outcomes.stored[key] = (month, owner_code)
                outcomes.acks.append((sent, time.monotonic()))
            return
        except Refused as e:
            if e.code in (-32000, -32001) and e.args[0].startswith(RULE_REFUSAL):
                with outcomes.lock:
                    outcomes.refused[key] = (month, owner_code, e.args[0])
                return
            last = "%s %s" % (e.code, e.args[0])
            # A refusal of anything but the rule is recorded as such; a failure of the
            # database (the server's -32000 with its own message) is worth another try.
            if e.args[0] == "Conta comercial já cadastrada.":
                with outcomes.lock:
                    outcomes.refused[key] = (month, owner_code, e.args[0])
                return
        except (OSError, ValueError, ConnectionError) as e:
            last = str(e)
        if time.monotonic() - start > SETTLE_DEADLINE_S:
            with outcomes.lock:
                outcomes.unsettled[key] = (month, owner_code, last)
            return
        time.sleep(PAUSE_S)


def run_clients(servers_of, tls, outcomes, seconds, run, implanted, pace_s):
    deadline = time.monotonic() + seconds

    def work(c):
        client = Client(servers_of(c), tls)
        # Month after month, the clients together: each month's ledger balance is contended.
        owners = list(range(OWNERS_PER_CLIENT))
        random.Random(c).shuffle(owners)
        combos = [(m, o) for m in range(MONTHS) for o in owners]
        for n, (m, o) in enumerate(combos):
            if time.monotonic() >= deadline:
                break
            settle(client, outcomes, "soak-%s-%d-%d" % (run, c, n), month_end(m), owner(c, o),
                   implanted)
            time.sleep(pace_s)
        client.close()

    threads = [threading.Thread(target=work, args=(c,)) for c in range(CLIENTS)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()


class Cluster:
    def __init__(self):
        self.dir = os.environ.get("SALDO_CLUSTER_DIR", "/tmp/saldo-cluster")
        self.env = {}
        with open(os.path.join(self.dir, "cluster.env")) as f:
            for line in f:
                name, _, value = line.strip().partition("=")
                self.env[name] = value.strip("'")
        self.db = self.env["SALDO_CLUSTER_DB"]
        self.front = self.env["SALDO_CLUSTER_FRONT"]
        self.servers = self.env["SALDO_CLUSTER_SERVERS"].split(",")
        self.rest = self.env["SALDO_CLUSTER_REST"].split(",")
        self.tls = ssl.create_default_context(cafile=self.env["SALDO_CLUSTER_CA"])

    def sql(self, text):
        return subprocess.run(["psql", "-X", "-q", "-At", "-v", "ON_ERROR_STOP=1", self.db],
                              input=text, capture_output=True, text=True, check=True,
                              timeout=60).stdout

    def pid(self, name):
        try:
            with open(os.path.join(self.dir, "run", name + ".pid")) as f:
                return int(f.read().strip())
        except (OSError, ValueError):
            return None

    def restart(self, name):
        subprocess.run(["bash", os.path.join(ROOT, "scripts", "cluster.sh"), "restart", name],
                       check=True, timeout=120, stdout=subprocess.DEVNULL)

    def role(self, node, path):
        try:
            with urllib.request.urlopen("http://%s%s" % (self.rest[node], path), timeout=3) as r:
                return r.status == 200
        except OSError:
            return False

    def primary(self):
        return next((n for n in (0, 1) if self.role(n, "/primary")), None)

    def healthy(self):
        p = self.primary()
        return p is not None and self.role(1 - p, "/sync")

    def postmaster(self, node):
        with open(os.path.join(self.dir, "pg%d" % (node + 1), "data", "postmaster.pid")) as f:
            return int(f.readline())


def wait(what, seconds, test):
    deadline = time.monotonic() + seconds
    while not test():
        if time.monotonic() > deadline:
            raise RuntimeError("%s did not happen within %d s" % (what, seconds))
        time.sleep(0.5)


def prepare(cluster):
    """Owners for every client, and a ledger balance for each month the soak saves in."""
    rows = ["('%s', 'J', NULL, 'Cliente do ensaio %s', 'S')" % (owner(c, o), owner(c, o))
            for c in range(CLIENTS) for o in range(OWNERS_PER_CLIENT)]
    ledger = ["('%s', '%s', '%s', %d)" % (COMPANY, ACCOUNT, month_end(m), LEDGER_CENTS)
              for m in range(MONTHS)]
    cluster.sql("DELETE FROM SALDCOME WHERE CDEMPRESA = '%s' AND CDSALDCOME LIKE 'SK%%';"
                % COMPANY)
    cluster.sql("INSERT INTO CLIENTE (CDCLIENTE, IDTPIJURCLIE, NRINSJURCLIE, NMRAZSOCCLIE,"
                " IDCLIEATIV) VALUES %s ON CONFLICT DO NOTHING;\n"
                "INSERT INTO SALDCTBL (CDEMPRESA, CDCONTCTBL, DTSALDO, VRSALDO) VALUES %s"
                " ON CONFLICT (CDEMPRESA, CDCONTCTBL, DTSALDO)"
                " DO UPDATE SET VRSALDO = EXCLUDED.VRSALDO;\n" % (", ".join(rows), ", ".join(ledger)))


def running(pid):
    """Whether the process exists and has not ended (a zombie, where nothing reaps orphans)."""
    try:
        with open("/proc/%d/stat" % pid) as f:
            return f.read().rpartition(")")[2].split()[0] != "Z"
    except OSError:
        return False


def stored_since(outcomes, at, stop):
    """Waits (at most 30 s, and not once the clients have stopped) until a save sent after
    `at` has been stored."""
    deadline = time.monotonic() + SETTLE_DEADLINE_S
    while time.monotonic() < deadline and not stop.is_set():
        with outcomes.lock:
            if any(sent >= at for sent, _ in outcomes.acks[-100:]):
                return
        time.sleep(0.05)


def kill_primaries(cluster, stop, offsets, events, one_fault, outcomes):
    """Kills the primary's postmaster at each offset (seconds from now) once the cluster has a
    synchronous standby, and waits for the standby to take over and a save to be stored."""
    start = time.monotonic()
    for offset in offsets:
        while not stop.is_set() and (time.monotonic() - start < offset or not cluster.healthy()):
            stop.wait(0.2)
        if stop.is_set():
            return
        with one_fault:
            node = cluster.primary()
            pid = cluster.postmaster(node)
            os.kill(pid, 9)
            at = time.monotonic()
            events.append(("primary", at))
            print("killed the primary pg%d (postmaster %d)" % (node + 1, pid), flush=True)
            wait("the standby taking over", 60, lambda: cluster.primary() not in (None, node))
            wait("a synchronous standby again", 120, cluster.healthy)
            print("primary now pg%d" % (cluster.primary() + 1), flush=True)
            stored_since(outcomes, at, stop)


def kill_servers(cluster, stop, every_s, events, one_fault, outcomes, restart_failures):
    """Kills the application servers in turn every every_s seconds, and starts each again a
    second later. One fault at a time, each over before the next, so that each gap has one
    cause."""
    victim = 0
    while not stop.wait(every_s):
        name = "server%d" % (victim + 1)
        pid = cluster.pid(name)
        if pid is None:
            continue
        with one_fault:
            try:
                os.kill(pid, 9)
            except ProcessLookupError:
                pass  # gone already (it did not start again after the last kill)
            at = time.monotonic()
            events.append(("server", at))
            time.sleep(1)
            wait("server %d's end" % pid, 30, lambda: not running(pid))
            try:
                cluster.restart(name)
            except subprocess.SubprocessError as e:
                print("FAULT: %s did not start again: %s" % (name, e), file=sys.stderr)
                restart_failures.append(name)
            stored_since(outcomes, at, stop)
        victim = 1 - victim


def gaps(outcomes, events, end):
    """For each kill, the time until a save sent after it was stored; and the longest time
    between two stored saves. A kill in the run's last seconds may have no save after it."""
    acks = sorted(outcomes.acks, key=lambda a: a[1])
    after = {"server": [], "primary": []}
    for kind, at in events:
        if at > end - 5 and not any(sent >= at for sent, _ in acks):
            continue
        first = min((done for sent, done in acks if sent >= at), default=None)
        after[kind].append(None if first is None else first - at)
    ends = [done for _, done in acks]
    longest = max((b - a for a, b in zip(ends, ends[1:])), default=0)
    return after, longest


def check(cluster, outcomes, run):
    """Every outcome against the database; returns the list of faults found."""
    found = []
    rows = {}
    for line in cluster.sql(
            "SELECT DTIMPSALDO, CDSALDCOME, VRIMPSALDO, TIPSALDO FROM SALDCOME"
            " WHERE CDEMPRESA = '%s' AND IDSALDCOME = 'C' AND CDCONTCTBL = '%s'"
            " AND CDSALDCOME LIKE 'SK%%' AND DTIMPSALDO >= '%d-01-01';"
            % (COMPANY, ACCOUNT, YEAR)).splitlines():
        month, owner_code, cents, flag = line.split("|")
        rows[(month, owner_code)] = (int(cents), flag)
    ledger = dict(tuple(line.split("|")) for line in cluster.sql(
        "SELECT DTSALDO, VRSALDO FROM SALDCTBL WHERE CDEMPRESA = '%s' AND CDCONTCTBL = '%s'"
        " AND DTSALDO >= '%d-01-01';" % (COMPANY, ACCOUNT, YEAR)).splitlines())
    ledger = {month: int(cents) for month, cents in ledger.items()}
    audit = dict(tuple(line.split("|")) for line in cluster.sql(
        "SELECT CHREQUISICAO, COUNT(*) FROM SALDAUDI WHERE CHREQUISICAO LIKE 'soak-%s-%%'"
        " GROUP BY CHREQUISICAO;" % run).splitlines())
    lost = [k for k, combo in outcomes.stored.items() if combo not in rows]
    claimed = set(outcomes.stored.values()) | {(m, o) for m, o, _ in outcomes.unsettled.values()}
    stray = [combo for combo in rows if combo not in claimed]
    doubled = [k for k in outcomes.stored if audit.get(k) != "1"]
    doubled += [k for k in outcomes.refused if k in audit]
    totals = {}
    for (month, _), (cents, flag) in rows.items():
        if flag == "S":
            totals[month] = totals.get(month, 0) + cents
    violations = [m for m, total in totals.items() if total > ledger.get(m, 0)]
    false_refusals = [k for k, (month, _, message) in outcomes.refused.items()
                      if not message.startswith(RULE_REFUSAL)
                      or totals.get(month, 0) + VALUE_CENTS <= ledger.get(month, 0)]
    for what, items in (("lost (acknowledged, not stored)", lost),
                        ("stored without an acknowledgement", stray),
                        ("audit lines not one per stored save", doubled),
                        ("months beyond their ledger balance", violations),
                        ("false refusals", false_refusals),
                        ("saves without an answer in %d s" % SETTLE_DEADLINE_S,
                         list(outcomes.unsettled.items()))):
        if items:
            found.append("%s: %d, e.g. %s" % (what, len(items), items[:3]))
    return found, len(lost), len(doubled) + len(stray), len(false_refusals), len(violations)


def soak(seconds):
    cluster = Cluster()
    prepare(cluster)
    run = "%x" % int(time.time())
    outcomes = Outcomes()
    events = []
    stop = threading.Event()
    one_fault = threading.Lock()
    restart_failures = []
    killers = [
        threading.Thread(target=kill_primaries,
                         args=(cluster, stop, [seconds * 0.2, seconds * 0.55], events, one_fault,
                               outcomes)),
        threading.Thread(target=kill_servers,
                         args=(cluster, stop, 3.0, events, one_fault, outcomes,
                               restart_failures)),
    ]
    for killer in killers:
        killer.start()
    start = time.monotonic()
    try:
        run_clients(lambda c: [cluster.front] if c % 2 == 0
                    else cluster.servers[c % 4 // 2:] + cluster.servers[:c % 4 // 2],
                    cluster.tls, outcomes, seconds, run, True, 0.05)
    finally:
        end = time.monotonic()
        stop.set()
        for killer in killers:
            killer.join()
    elapsed = end - start
    found, lost, duplicates, false_refusals, violations = check(cluster, outcomes, run)
    after, longest = gaps(outcomes, events, end)
    kills = sum(1 for kind, _ in events if kind == "server")
    failovers = sum(1 for kind, _ in events if kind == "primary")

    def worst(values):
        return "never" if None in values else "%.0f ms" % (max(values, default=0) * 1000)

    print("%.0f s: %d saves stored, %d refused by the balance rule, %d attempts; %d server"
          " kills, %d primary kills; lost %d, duplicates %d, false refusals %d, rule"
          " violations %d" % (elapsed, len(outcomes.stored), len(outcomes.refused),
                              outcomes.attempts, kills, failovers, lost, duplicates,
                              false_refusals, violations))
    print("longest time until a save sent after a kill was stored: %s after a server kill,"
          " %s after a primary kill; longest time between two stored saves: %.0f ms"
          % (worst(after["server"]), worst(after["primary"]), longest * 1000))
    for fault in found:
        print("FAULT: " + fault, file=sys.stderr)
    if restart_failures:
        return 1
    if None in after["server"] + after["primary"]:
        print("FAULT: no save was stored after a kill, though the clients went on",
              file=sys.stderr)
        return 1
    if failovers < 2 or kills < 1:
        print("FAULT: the faults did not all happen (%d primary kills, %d server kills)"
              % (failovers, kills), file=sys.stderr)
        return 1
    return 1 if found else 0


def rate(seconds):
    cluster = Cluster()
    prepare(cluster)
    run = "%x" % int(time.time())
    for label, servers_of in (
            ("one server", lambda c: cluster.servers[:1]),
            ("two servers", lambda c: cluster.servers[c % 2:] + cluster.servers[:c % 2])):
        cluster.sql("DELETE FROM SALDCOME WHERE CDEMPRESA = '%s' AND CDSALDCOME LIKE 'SK%%';"
                    % COMPANY)
        outcomes = Outcomes()
        start = time.monotonic()
        run_clients(servers_of, cluster.tls, outcomes, seconds, run + label[:3], False, 0)
        elapsed = time.monotonic() - start
        print("%s: %.0f saves per second (%d in %.1f s, %d clients)"
              % (label, len(outcomes.stored) / elapsed, len(outcomes.stored), elapsed, CLIENTS))
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("mode", choices=["faults", "rate"])
    parser.add_argument("seconds", type=float)
    args = parser.parse_args()
    if not 5 <= args.seconds <= 7200:
        parser.error("seconds: from 5 to 7200")
    # At most about 200 saves a second in all, each into a balance of its own.
    global MONTHS
    MONTHS = int(args.seconds * 200 / (CLIENTS * OWNERS_PER_CLIENT)) + 2
    return soak(args.seconds) if args.mode == "faults" else rate(args.seconds)


if __name__ == "__main__":
    sys.exit(main())
