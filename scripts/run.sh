#!/usr/bin/env bash
# Sets the machine up, builds, creates the demo database when missing, starts the application
# server unless one already listens, and opens the "Saldo Comercial" screen in the desktop shell.
# Without a display the shell is served over VNC on a port printed below.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset dev >/dev/null
cmake --build --preset dev --target saldo-shell saldo-server Rdq63500

bin=build/dev/bin
db_file=${SALDO_DB_FILE:-data/saldo.db}
host=127.0.0.1
port=${SALDO_PORT:-47630}
export SALDO_SERVER="$host:$port"
export SALDO_DB="sqlite:$db_file"

if [ ! -f "$db_file" ]; then
  mkdir -p "$(dirname "$db_file")"
  echo "Creating the demonstration database $db_file"
  "$bin/saldo-server" init --db "$SALDO_DB" --demo
fi

listening() { (exec 3<>"/dev/tcp/$host/$port") 2>/dev/null; }

server_pid=""
stop_server() {
  if [ -n "$server_pid" ]; then
    kill "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
    echo "Application server stopped."
    server_pid=""
  fi
}
trap stop_server EXIT INT TERM

if listening; then
  echo "An application server already listens on $SALDO_SERVER; using it."
else
  "$bin/saldo-server" serve --db "$SALDO_DB" --listen "$SALDO_SERVER" &
  server_pid=$!
  for _ in $(seq 100); do
    listening && break
    kill -0 "$server_pid" 2>/dev/null || { echo "The application server did not start." >&2; exit 1; }
    sleep 0.1
  done
  listening || { echo "The application server does not answer on $SALDO_SERVER." >&2; exit 1; }
  echo "Application server started on $SALDO_SERVER."
fi

if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  vnc_port=${SALDO_VNC_PORT:-5900}
  while (exec 3<>"/dev/tcp/127.0.0.1/$vnc_port") 2>/dev/null; do vnc_port=$((vnc_port + 1)); done
  echo "No display found: the shell is served over VNC on port $vnc_port."
  echo "Connect a VNC viewer to this machine's port $vnc_port (for example: ssh -L $vnc_port:localhost:$vnc_port, then a viewer on localhost:$vnc_port)."
  export QT_QPA_PLATFORM="vnc:size=1280x800:port=$vnc_port"
fi

"$bin/saldo-shell" --open RDQ63500
