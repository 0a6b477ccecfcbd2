#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed programs from there, with
# nothing of the build tree on their library path: the server creates its database and serves,
# and `saldo-shell --check` reads the installation's own client.conf, reaches the database and
# the server, and opens the balance screen through its module.
set -euo pipefail
build=$1
cmake=$2
prefix=$(mktemp -d /tmp/saldo-install.XXXXXX)
server_pid=""
cleanup() {
  [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null && wait "$server_pid" 2>/dev/null
  rm -rf "$prefix"
}
trap cleanup EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

"$cmake" --install "$build" --prefix "$prefix" >/dev/null
unset LD_LIBRARY_PATH

for file in "$prefix"/bin/saldo-server "$prefix"/bin/saldo-shell $(find "$prefix" -name '*.so'); do
  deps=$(ldd "$file")
  if grep -q "not found" <<<"$deps"; then fail "$file misses a library: $deps"; fi
  if grep -q "$build" <<<"$deps"; then fail "$file still loads from the build tree: $deps"; fi
done
[ -f "$prefix/etc/saldo/server.conf" ] || fail "server.conf not installed"
[ -f "$prefix/etc/saldo/client.conf" ] || fail "client.conf not installed"
[ -f "$prefix/share/applications/saldo-comercial.desktop" ] || fail ".desktop entry not installed"

# The server takes its database from the environment, as the service's configuration gives it.
export SALDO_DB="sqlite:$prefix/var/saldo.db"
mkdir -p "$prefix/var"
SALDO_DEMO=yes "$prefix/bin/saldo-server" init
log="$prefix/server.log"
# The desktop reaches it on the local socket, where the system user running the test (made the
# administrator by init) is identified without a password.
socket="$prefix/saldo.sock"
SALDO_LISTEN=127.0.0.1:0 SALDO_SOCKET="$socket" "$prefix/bin/saldo-server" serve 2>"$log" &
server_pid=$!
port=""
for _ in $(seq 200); do
  port=$(grep -o -E 'em 127\.0\.0\.1:[0-9]+' "$log" | grep -o -E '[0-9]+$' || true)
  [ -n "$port" ] && break
  sleep 0.05
done
[ -n "$port" ] || fail "the installed server did not start: $(cat "$log")"

# The client reads the machine's file of its own installation, not the environment.
unset SALDO_DB SALDO_SERVER SALDO_CONFIG
export HOME="$prefix/home" XDG_CONFIG_HOME="$prefix/home/.config"
cat >"$prefix/etc/saldo/client.conf" <<CONF
server = unix:$socket
db = sqlite:$prefix/var/saldo.db
CONF
output=$("$prefix/bin/saldo-shell" --check --open RDQ63500 2>&1) || fail "saldo-shell --check: $output"
echo "$output"
grep -q '^ok     banco de dados: SQLite, ' <<<"$output" || fail "no database line"
grep -q "^ok     servidor de aplicação: unix:.*saldo.sock.* responde" <<<"$output" || fail "no server line"
grep -q '^ok     tela RDQ63500: "Saldo Comercial" aberta e fechada' <<<"$output" || fail "no screen line"

# A server that is not there is a failed check, not a hang or a success.
kill "$server_pid"; wait "$server_pid" 2>/dev/null || true; server_pid=""
if "$prefix/bin/saldo-shell" --check >/dev/null 2>&1; then fail "--check passed without a server"; fi
echo "install test passed"
