#!/usr/bin/env bash
# A throw-away cluster on this machine, on loopback ports, from the Debian packages: etcd (one
# member), two PostgreSQL 15 nodes under Patroni (synchronous replication, so a commit the
# server is told of is on both), two application servers whose database address names both
# nodes, and HAProxy in front of the servers (and of the current PostgreSQL primary). The servers
# speak TLS only, as an office's do, with a certificate for 127.0.0.1 and localhost signed by a
# certificate authority of the cluster's own (tls/ca.pem); HAProxy passes the TLS through and
# never holds the key, and its checks speak TLS.
#
#   scripts/cluster.sh up       starts it, prints every address, exits 0 once a call answers
#                               through HAProxy (or stops everything and exits 1)
#   scripts/cluster.sh status   what runs, and which node is the primary
#   scripts/cluster.sh down     stops everything and removes the folder (safe to run twice)
#   scripts/cluster.sh restart MEMBER
#                               starts server1, server2, patroni1 or patroni2 again after it
#                               was stopped or killed
#
# Everything lives in SALDO_CLUSTER_DIR (default /tmp/saldo-cluster); the ports are
# SALDO_CLUSTER_PORT (default 27700) plus the offsets below; the server program is
# SALDO_SERVER_BIN (default build/dev/bin/saldo-server). PostgreSQL refuses to run as root, so
# when started by root every process runs as the account "postgres", which the postgresql
# package creates (no account is made, so nothing is left behind); otherwise as the caller.
# Callers sign in to the application servers as the user SALDO_CLUSTER_USER (default
# "cluster") with the password SALDO_CLUSTER_PASSWORD (default "senha-do-cluster"), and trust
# them through SALDO_CLUSTER_CA (in cluster.env).
set -euo pipefail
cd "$(dirname "$0")/.."

dir=${SALDO_CLUSTER_DIR:-/tmp/saldo-cluster}
# Below the kernel's range for outgoing connections (32768-60999 by default): a port in it may be
# taken by any connection, the cluster's own included, between the check that it is free and the
# moment its program binds it.
base=${SALDO_CLUSTER_PORT:-27700}
# A cluster that runs keeps the ports it was started with.
saved_base=$(sed -n "s/^SALDO_CLUSTER_BASE='\([0-9]*\)'\$/\1/p" "$dir/cluster.env" 2>/dev/null || true)
[ -n "$saved_base" ] && base=$saved_base
server_bin=${SALDO_SERVER_BIN:-$PWD/build/dev/bin/saldo-server}
pg_bin=/usr/lib/postgresql/15/bin
host=127.0.0.1
# HAProxy reaches the application servers from this loopback address, and only connections from
# it must open with a PROXY header: the scripts and tests that call a server directly (from
# $host) start the TLS handshake at once.
proxy_source=127.0.0.2
# The servers' certificate and key, and the authority that signed it, which callers trust.
tls_dir=$dir/tls
ca_file=$tls_dir/ca.pem
# A harmless call of the balance server: a read that changes nothing.
check_call='{"jsonrpc":"2.0","id":1,"method":"Rdq63500.rdmSaldComer.GetVdSaldoContCtbl","params":["","","",0]}'
caller_user=${SALDO_CLUSTER_USER:-cluster}
caller_password=${SALDO_CLUSTER_PASSWORD:-senha-do-cluster}

etcd_port=$((base + 1)) etcd_peer_port=$((base + 2))
pg_ports=($((base + 11)) $((base + 12)))
rest_ports=($((base + 21)) $((base + 22)))
front_port=$((base + 30))
server_ports=($((base + 31)) $((base + 32)))
primary_front_port=$((base + 40))

# Patroni's timings. The leader key lives `ttl` seconds unless renewed; every node runs its
# loop each `loop_wait` seconds; a call to etcd or PostgreSQL is retried for `retry_timeout`
# seconds (Patroni needs loop_wait + 2 * retry_timeout <= ttl). A crashed postmaster is seen
# within loop_wait and, with primary_start_timeout 0, handed over to the synchronous standby at
# once instead of restarted in place; a lost machine (Patroni gone too) is replaced once its
# key expires, within ttl + loop_wait: about 11 s, plus the standby's promotion.
ttl=10 loop_wait=1 retry_timeout=4

say() { printf '%s\n' "$*"; }
fail() {
  printf 'cluster.sh: %s\n' "$*" >&2
  exit 1
}

if [ "$(id -u)" -eq 0 ]; then
  run_user=postgres
  getent passwd "$run_user" >/dev/null ||
    fail "the account \"postgres\" is missing; install PostgreSQL first (bash scripts/setup.sh)"
else
  run_user=$(id -un)
fi

# Runs a command as the cluster's account (in place: the process id stays the command's).
user_prefix=()
if [ "$(id -u)" -eq 0 ]; then
  user_prefix=(setpriv --reuid="$run_user" --regid="$(id -g "$run_user")" --init-groups
    env HOME="$dir" USER="$run_user" LOGNAME="$run_user")
fi
as_user() { "${user_prefix[@]}" "$@"; }

# Starts a program in the background, in a session of its own, as the cluster's account; its
# output goes to (the end of) log/NAME.log and its process id to run/NAME.pid.
launch() {
  local name=$1
  shift
  (cd "$dir" && exec setsid "${user_prefix[@]}" "$@") \
    >>"$dir/log/$name.log" 2>&1 </dev/null &
  echo $! >"$dir/run/$name.pid"
}

listening() { (exec 3<>"/dev/tcp/$host/$1") 2>/dev/null; }

# Waits up to $2 seconds for the command after it to succeed; on time-out says what was awaited
# and returns 1.
wait_for() {
  local what=$1 seconds=$2
  shift 2
  local deadline=$((SECONDS + seconds))
  until "$@"; do
    if [ $SECONDS -ge $deadline ]; then
      printf 'cluster.sh: %s did not happen within %s s\n' "$what" "$seconds" >&2
      return 1
    fi
    sleep 0.5
  done
}

# The status code of an HTTP GET (Patroni's REST API), or nothing.
http_status() {
  local port=$1 path=$2 line="" code=""
  { exec 4<>"/dev/tcp/$host/$port"; } 2>/dev/null || return 0
  printf 'GET %s HTTP/1.0\r\nHost: %s\r\n\r\n' "$path" "$host" >&4
  IFS= read -r -t 5 line <&4 || true
  exec 4<&- 4>&-
  read -r _ code _ <<<"$line" || true
  printf '%s' "$code"
}

# The node (0 or 1) whose Patroni says it is the primary, or nothing.
primary_node() {
  local i
  for i in 0 1; do
    [ "$(http_status "${rest_ports[i]}" /primary)" = 200 ] && { printf '%s' "$i"; return 0; }
  done
  return 0
}
has_primary() { [ -n "$(primary_node)" ]; }
has_sync_standby() {
  local primary
  primary=$(primary_node)
  [ -n "$primary" ] && [ "$(http_status "${rest_ports[1 - primary]}" /sync)" = 200 ]
}

# True when the program on the port answers a harmless call of the balance server as that
# server does (a read that changes nothing and whose answer is a boolean, or the refusal of a
# caller that has not signed in), over TLS with a certificate for $host that the cluster's
# authority signed; the whole exchange is bounded to 5 s.
answers_as_server() {
  local reply=""
  reply=$(timeout 6 python3 -c '
import socket, ssl, sys
host, port, ca, request = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
context = ssl.create_default_context(cafile=ca)
with socket.create_connection((host, port), timeout=5) as plain:
    with context.wrap_socket(plain, server_hostname=host) as tls:
        tls.sendall(request.encode() + b"\n")
        sys.stdout.write(tls.makefile("rb").readline(4096).decode("utf-8", "replace"))
' "$host" "$1" "$ca_file" "$check_call" 2>/dev/null) || true
  [[ "$reply" =~ \"jsonrpc\":\"2\.0\" ]] &&
    [[ "$reply" =~ \"result\":(true|false)|\"code\":-32004 ]]
}

etcd_healthy() { etcdctl --endpoints "http://$host:$etcd_port" endpoint health >/dev/null 2>&1; }
# A killed process whose parent is gone may stay a zombie where nothing reaps orphans.
alive() {
  [ -n "$1" ] && kill -0 "$1" 2>/dev/null &&
    [ "$(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null | cut -c1)" != Z ]
}
not_alive() { ! alive "$1"; }
pid_of() { cat "$dir/run/$1.pid" 2>/dev/null || true; }
postmaster_pid() { head -1 "$dir/pg$1/data/postmaster.pid" 2>/dev/null || true; }

patroni_config() {
  local i=$1
  local node=pg$((i + 1))
  cat <<EOF
scope: saldo
namespace: /saldo-cluster/
name: $node
log:
  level: INFO
restapi:
  listen: $host:${rest_ports[i]}
  connect_address: $host:${rest_ports[i]}
etcd3:
  host: $host:$etcd_port
bootstrap:
  dcs:
    ttl: $ttl
    loop_wait: $loop_wait
    retry_timeout: $retry_timeout
    primary_start_timeout: 0
    maximum_lag_on_failover: 1048576
    synchronous_mode: true
    postgresql:
      use_pg_rewind: true
      parameters:
        max_connections: 60
        shared_buffers: 32MB
        wal_log_hints: 'on'
        max_wal_senders: 5
        max_replication_slots: 5
        wal_keep_size: 64MB
  initdb:
    - encoding: UTF8
    - locale: C.UTF-8
postgresql:
  listen: $host:${pg_ports[i]}
  connect_address: $host:${pg_ports[i]}
  data_dir: $dir/$node/data
  bin_dir: $pg_bin
  pgpass: $dir/$node/pgpass
  authentication:
    superuser:
      username: postgres
      password: '$superuser_password'
    replication:
      username: replicator
      password: '$replication_password'
    rewind:
      username: postgres
      password: '$superuser_password'
  parameters:
    unix_socket_directories: '$dir/$node'
  pg_hba:
    - local all all trust
    - host replication replicator $host/32 scram-sha-256
    - host all all $host/32 scram-sha-256
EOF
}

haproxy_config() {
  cat <<EOF
global
  maxconn 512
  log stdout format raw daemon

defaults
  mode tcp
  log global
  option tcplog
  option redispatch
  retries 2
  timeout connect 2s
  timeout client 15m
  timeout server 15m
  timeout check 3s

# The application servers: a new connection goes to the server with the fewest; a server is
# taken out after 2 failed checks 2 s apart (a harmless call that must answer as the
# balance server does: the check does not sign in, so the refusal of a caller not identified
# counts as an answer) and back after 2 good ones; a refused connection is sent to the other.
# Each connection, the checks' too, opens with a PROXY header naming the desktop's address, so
# that a server counts, audits and throttles per desktop rather than per HAProxy.
# The desktops' TLS passes through untouched (HAProxy never holds the servers' key); the check
# alone speaks TLS itself, after its PROXY header ("connect send-proxy ssl"), and trusts a
# server only with a certificate the cluster's authority signed for the name in "verifyhost"
# (an explicit "tcp-check connect" ignores the server options check-ssl and check-send-proxy,
# but takes ca-file, verify and verifyhost from the server line).
listen saldo-servers
  bind $host:$front_port
  balance leastconn
  source $proxy_source
  option tcp-check
  option log-health-checks
  tcp-check connect send-proxy ssl
  tcp-check send "${check_call//\"/\\\"}\n"
  tcp-check expect rstring "\"result\":(true|false)|\"code\":-32004"
  default-server inter 2s fall 2 rise 2 on-marked-down shutdown-sessions send-proxy
  default-server ca-file $ca_file verify required verifyhost localhost
  server server1 $host:${server_ports[0]} check
  server server2 $host:${server_ports[1]} check

# The current PostgreSQL primary, for tools that want one address (pg_dump, psql): Patroni's
# REST API answers 200 to GET /primary on the primary's node only.
listen postgres-primary
  bind $host:$primary_front_port
  option httpchk GET /primary
  http-check expect status 200
  default-server inter 1s fall 2 rise 1 on-marked-down shutdown-sessions
  server pg1 $host:${pg_ports[0]} check port ${rest_ports[0]}
  server pg2 $host:${pg_ports[1]} check port ${rest_ports[1]}
EOF
}

print_addresses() {
  local primary i role
  primary=$(primary_node)
  say "Cluster folder: $dir (logs in $dir/log)"
  say "etcd:              http://$host:$etcd_port"
  for i in 0 1; do
    role=standby
    [ "$primary" = "$i" ] && role=primary
    say "PostgreSQL pg$((i + 1)):    $host:${pg_ports[i]} ($role; Patroni REST API http://$host:${rest_ports[i]})"
  done
  say "PostgreSQL primary (HAProxy): $host:$primary_front_port"
  say "Database:          $db_url"
  for i in 0 1; do
    say "saldo-server $((i + 1)):    $host:${server_ports[i]} (TLS)"
  done
  say "HAProxy (servers): $host:$front_port (TLS passed through)"
  say "A desktop connects with: SALDO_SERVER=$host:$front_port SALDO_CA=$ca_file"
}

# Stops the processes of the cluster in $dir and removes the folder.
down() {
  if [ ! -d "$dir" ]; then
    say "No cluster in $dir."
    return 0
  fi
  [ -f "$dir/cluster.env" ] || [ -z "$(ls -A "$dir")" ] ||
    fail "$dir is not a cluster folder of this script; not touching it"
  local pid i deadline pids=()
  # HAProxy and the servers first; then both Patroni together (each stops its PostgreSQL, and
  # neither takes over from the other); etcd last.
  stop_named 30 haproxy server1 server2
  stop_named 90 patroni1 patroni2
  stop_named 30 etcd
  # A postmaster left behind by a Patroni that was killed.
  for i in 1 2; do
    pid=$(postmaster_pid "$i")
    if alive "$pid" && grep -qz -- "$dir/pg$i/data" "/proc/$pid/cmdline" 2>/dev/null; then
      stop_and_wait 30 "$pid"
    fi
  done
  # Any process still started from the folder (a helper of PostgreSQL or Patroni).
  deadline=$((SECONDS + 10))
  while mapfile -t pids < <(processes_in_folder) && [ ${#pids[@]} -gt 0 ]; do
    [ $SECONDS -ge $deadline ] && fail "processes ${pids[*]} of $dir do not stop"
    kill -KILL "${pids[@]}" 2>/dev/null || true
    sleep 0.5
  done
  rm -rf -- "$dir"
  say "Cluster stopped; $dir removed."
}

# Stops the named processes of the cluster that still run, waiting up to $1 seconds.
stop_named() {
  local seconds=$1 name pid pids=()
  shift
  for name in "$@"; do
    pid=$(pid_of "$name")
    alive "$pid" && pids+=("$pid")
  done
  [ ${#pids[@]} -eq 0 ] || stop_and_wait "$seconds" "${pids[@]}"
}

# Ids of the processes whose command line names the cluster folder.
processes_in_folder() {
  local entry
  for entry in /proc/[0-9]*; do
    [ "${entry#/proc/}" = $$ ] && continue
    grep -qzF -- "$dir/" "$entry/cmdline" 2>/dev/null && printf '%s\n' "${entry#/proc/}"
  done
  return 0
}

# Sends SIGTERM to the processes and waits up to $1 seconds for them to end, then SIGKILL.
stop_and_wait() {
  local seconds=$1 pid left
  shift
  kill -TERM "$@" 2>/dev/null || true
  local deadline=$((SECONDS + seconds))
  while :; do
    left=()
    for pid in "$@"; do alive "$pid" && left+=("$pid"); done
    [ ${#left[@]} -eq 0 ] && return 0
    if [ $SECONDS -ge $deadline ]; then
      say "Processes ${left[*]} did not stop within $seconds s; killing them." >&2
      kill -KILL "${left[@]}" 2>/dev/null || true
      sleep 1
      return 0
    fi
    sleep 0.5
  done
}

# On a failed start: the end of the logs that say why, then everything stopped.
abandon() {
  local log
  say "cluster.sh: the cluster did not start ($step failed); the end of its logs:" >&2
  for log in "$dir"/log/*.log; do
    [ -f "$log" ] || continue
    say "== $log" >&2
    tail -n 15 "$log" >&2
  done
  trap - EXIT
  down >&2 || true
  exit 1
}

up() {
  local tool port i
  for tool in etcd etcdctl patroni patronictl haproxy setpriv; do
    command -v "$tool" >/dev/null || fail "$tool is missing; run: bash scripts/setup.sh"
  done
  [ -x "$pg_bin/postgres" ] || fail "PostgreSQL 15 is missing; run: bash scripts/setup.sh"
  [ -x "$server_bin" ] ||
    fail "$server_bin is missing; build it (cmake --build --preset dev --target saldo-server) or set SALDO_SERVER_BIN"
  if [ -e "$dir" ]; then
    [ -f "$dir/cluster.env" ] && fail "a cluster already runs in $dir; stop it first: scripts/cluster.sh down"
    [ -z "$(ls -A "$dir")" ] || fail "$dir exists and is not empty; choose another SALDO_CLUSTER_DIR"
  fi
  for port in $etcd_port $etcd_peer_port "${pg_ports[@]}" "${rest_ports[@]}" $front_port \
    "${server_ports[@]}" $primary_front_port; do
    listening "$port" && fail "port $port on $host is taken; choose other ports with SALDO_CLUSTER_PORT"
  done
  read -r first_ephemeral last_ephemeral </proc/sys/net/ipv4/ip_local_port_range || true
  if [ -n "${first_ephemeral:-}" ] && ((base + 40 >= first_ephemeral && base <= last_ephemeral)); then
    echo "cluster.sh: warning: ports $base-$((base + 40)) overlap the range the system gives outgoing" \
      "connections ($first_ephemeral-$last_ephemeral); one may be taken before it is bound" >&2
  fi

  superuser_password=$(head -c 18 /dev/urandom | base64 | tr '+/' '-_')
  replication_password=$(head -c 18 /dev/urandom | base64 | tr '+/' '-_')
  app_password=$(head -c 18 /dev/urandom | base64 | tr '+/' '-_')
  db_url="postgresql://saldo:$app_password@$host:${pg_ports[0]},$host:${pg_ports[1]}/saldo?target_session_attrs=read-write"

  mkdir -p "$dir"
  chmod 700 "$dir"
  # From here a failure stops whatever started and removes the folder.
  step="writing the configuration"
  trap abandon EXIT
  trap 'exit 1' INT TERM
  mkdir -p "$dir/log" "$dir/run" "$dir/etcd" "$dir/pg1" "$dir/pg2"
  (
    umask 077
    cat >"$dir/cluster.env" <<EOF
SALDO_CLUSTER_DB='$db_url'
SALDO_CLUSTER_SERVERS='$host:${server_ports[0]},$host:${server_ports[1]}'
SALDO_CLUSTER_FRONT='$host:$front_port'
SALDO_CLUSTER_REST='$host:${rest_ports[0]},$host:${rest_ports[1]}'
SALDO_CLUSTER_SERVER_BIN='$server_bin'
SALDO_CLUSTER_BASE='$base'
SALDO_CLUSTER_CA='$ca_file'
EOF
    patroni_config 0 >"$dir/pg1.yml"
    patroni_config 1 >"$dir/pg2.yml"
    haproxy_config >"$dir/haproxy.cfg"
  )
  step="making the servers' certificate (log/init.log)"
  bash scripts/make-certificates.sh "$tls_dir" "$host" localhost >>"$dir/log/init.log" 2>&1
  step="checking HAProxy's configuration (log/haproxy.log)"
  haproxy -c -q -f "$dir/haproxy.cfg" >>"$dir/log/haproxy.log" 2>&1
  chmod 700 "$dir/pg1" "$dir/pg2"
  [ "$(id -u)" -eq 0 ] && chown -R "$run_user:" "$dir"

  step="starting etcd"
  launch etcd etcd --name saldo-etcd --data-dir "$dir/etcd" \
    --listen-client-urls "http://$host:$etcd_port" --advertise-client-urls "http://$host:$etcd_port" \
    --listen-peer-urls "http://$host:$etcd_peer_port" \
    --initial-advertise-peer-urls "http://$host:$etcd_peer_port" \
    --initial-cluster "saldo-etcd=http://$host:$etcd_peer_port" \
    --initial-cluster-token saldo-cluster --initial-cluster-state new
  wait_for "etcd answering on $host:$etcd_port" 30 etcd_healthy

  step="starting PostgreSQL under Patroni"
  launch patroni1 patroni "$dir/pg1.yml"
  launch patroni2 patroni "$dir/pg2.yml"
  wait_for "a PostgreSQL primary elected by Patroni" 180 has_primary
  wait_for "a synchronous standby streaming from the primary" 180 has_sync_standby
  local primary
  primary=$(primary_node)

  step="creating the role and database saldo"
  # The application's role and its UTF-8 database, made on the primary. Each commit waits until
  # the standby has applied it (remote_apply), not only stored it: the database's address names
  # both nodes, and libpq tries the standby first when it is listed first; a standby that has
  # not replayed CREATE DATABASE yet answers "database saldo does not exist", which libpq does
  # not pass over to the next host, so init would fail.
  as_user "$pg_bin/psql" -X -q -v ON_ERROR_STOP=1 \
    -h "$dir/pg$((primary + 1))" -p "${pg_ports[primary]}" -U postgres -d postgres <<EOF
SET synchronous_commit = remote_apply;
CREATE ROLE saldo LOGIN PASSWORD '$app_password';
CREATE DATABASE saldo OWNER saldo ENCODING 'UTF8' TEMPLATE template0;
EOF
  step="saldo-server init (log/init.log)"
  as_user "$server_bin" init --db "$db_url" --demo >>"$dir/log/init.log" 2>&1
  printf '%s\n' "$caller_password" |
    as_user "$server_bin" user add "$caller_user" --password-stdin --right '*=lançamento' \
      --db "$db_url" >>"$dir/log/init.log" 2>&1

  step="starting the application servers"
  # One after the other: a server brings the tables up to date as it starts, and two doing that
  # at once on PostgreSQL can make one of them fail ("tuple concurrently updated").
  for i in 0 1; do start_server "$i"; done
  step="starting HAProxy"
  launch haproxy haproxy -db -f "$dir/haproxy.cfg"
  wait_for "a call answered through HAProxy on $host:$front_port" 60 answers_as_server "$front_port"
  trap - EXIT INT TERM
  print_addresses
}

# Starts application server $1 (0 or 1) and waits until it answers. A server that stops at
# start (no primary to open while the database fails over) is started again 2 s later, for up
# to 60 s, as systemd does for the packaged service (Restart=on-failure).
start_server() {
  local i=$1 name=server$(($1 + 1)) deadline=$((SECONDS + 60))
  while :; do
    launch "$name" "$server_bin" serve --db "$db_url" --listen "$host:${server_ports[i]}" \
      --tls-cert "$tls_dir/server.pem" --tls-key "$tls_dir/server.key" --proxy-from "$proxy_source"
    wait_for "saldo-server $((i + 1)) answering on $host:${server_ports[i]}" 60 \
      answers_or_stopped "$i" || return 1
    answers_as_server "${server_ports[i]}" && return 0
    if [ $SECONDS -ge $deadline ]; then
      say "cluster.sh: saldo-server $((i + 1)) stops at start; see $dir/log/$name.log" >&2
      return 1
    fi
    sleep 2
  done
}
answers_or_stopped() {
  answers_as_server "${server_ports[$1]}" || ! alive "$(pid_of "server$(($1 + 1))")"
}

# Starts again a member that was stopped or killed, as a fault test does after killing it.
restart() {
  local name=${1:-}
  [ -f "$dir/cluster.env" ] || fail "no cluster in $dir"
  # shellcheck source=/dev/null
  . "$dir/cluster.env"
  db_url=$SALDO_CLUSTER_DB
  server_bin=$SALDO_CLUSTER_SERVER_BIN
  # A member just killed may take a moment to end on a loaded machine.
  local pid
  pid=$(pid_of "$name")
  wait_for "the end of $name (process $pid)" 15 not_alive "$pid" || fail "$name still runs"
  case "$name" in
    server1 | server2) start_server $((${name#server} - 1)) ;;
    patroni1 | patroni2) launch "$name" patroni "$dir/pg${name#patroni}.yml" ;;
    *) fail "restart what? server1, server2, patroni1 or patroni2" ;;
  esac
  say "$name started again."
}

status() {
  [ -f "$dir/cluster.env" ] || {
    say "No cluster in $dir."
    return 0
  }
  # shellcheck source=/dev/null
  . "$dir/cluster.env"
  db_url=$SALDO_CLUSTER_DB
  local name pid state
  for name in etcd patroni1 patroni2 server1 server2 haproxy; do
    pid=$(pid_of "$name")
    state="stopped"
    alive "$pid" && state="running (process $pid)"
    printf '%-9s %s\n' "$name" "$state"
  done
  print_addresses
  as_user patronictl -c "$dir/pg1.yml" list 2>&1 || true
}

case "${1:-}" in
  up) up ;;
  down) down ;;
  status) status ;;
  restart) restart "${2:-}" ;;
  *)
    say "Usage: scripts/cluster.sh up|down|status|restart MEMBER" >&2
    exit 2
    ;;
esac
