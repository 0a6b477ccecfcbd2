#!/usr/bin/env bash
# Sets the machine up, builds, creates the demo database when missing (with the user running
# this as its first administrator), starts the application server unless one already answers,
# and opens the "Saldo Comercial" screen in the desktop shell. The shell reaches the server on
# a local socket, where the operating system names the user: no password is asked. Without a
# display the shell runs on a private X server with a built-in VNC server that listens on this
# machine only and asks for a password (see the README).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset dev >/dev/null
cmake --build --preset dev --target saldo-shell saldo-server Rdq63500

bin=build/dev/bin
db_file=${SALDO_DB_FILE:-data/saldo.db}
host=127.0.0.1
port=${SALDO_PORT:-47630}
address="$host:$port"
mkdir -p "$(dirname "$db_file")"
socket=${SALDO_SOCKET:-$(cd "$(dirname "$db_file")" && pwd)/saldo.sock}
export SALDO_SERVER="unix:$socket"
export SALDO_DB="sqlite:$db_file"

if [ ! -f "$db_file" ]; then
  echo "Creating the demonstration database $db_file"
  "$bin/saldo-server" init --db "$SALDO_DB" --demo
else
  # Adds what a database of an older version lacks (the users) and, when it has no user yet,
  # makes the user running this its first administrator.
  "$bin/saldo-server" init --db "$SALDO_DB" >/dev/null
fi

listening() { (exec 3<>"/dev/tcp/$host/$port") 2>/dev/null; }

# True when the program on the port answers a harmless call of the balance server as that
# server does (a read that changes nothing and whose answer is a boolean).
answers_as_server() {
  local reply=""
  exec 3<>"/dev/tcp/$host/$port" || return 1
  printf '%s\n' '{"jsonrpc":"2.0","id":1,"method":"Rdq63500.rdmSaldComer.GetVdSaldoContCtbl","params":["","","",0]}' >&3
  IFS= read -r -t 5 reply <&3 || true
  exec 3<&- 3>&-
  # On TCP the server first wants to know who calls (-32004): that answer is its own too.
  [[ "$reply" =~ \"jsonrpc\":\"2\.0\" ]] &&
    [[ "$reply" =~ \"result\":(true|false) || "$reply" =~ \"code\":-32004 ]]
}

pids=()
stop_all() {
  local i
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
    kill "${pids[i]}" 2>/dev/null || true
    wait "${pids[i]}" 2>/dev/null || true
  done
  pids=()
}
trap stop_all EXIT INT TERM

if listening; then
  if ! answers_as_server; then
    echo "Port $port on $host is taken by a program that is not the Saldo Comercial application" >&2
    echo "server. Stop that program, or choose another port: SALDO_PORT=47631 bash scripts/run.sh" >&2
    exit 1
  fi
  if [ ! -S "$socket" ]; then
    echo "The application server running on $address has no local socket at $socket. Stop it" >&2
    echo "and run this again, or set SALDO_SOCKET to the socket it serves on." >&2
    exit 1
  fi
  echo "The application server already running on $address answers; using it."
else
  "$bin/saldo-server" serve --db "$SALDO_DB" --listen "$address" --socket "$socket" &
  pids+=($!)
  for _ in $(seq 100); do
    listening && [ -S "$socket" ] && break
    kill -0 "${pids[0]}" 2>/dev/null || { echo "The application server did not start." >&2; exit 1; }
    sleep 0.1
  done
  answers_as_server || { echo "The application server does not answer on $address." >&2; exit 1; }
  echo "Application server started on $address and on the local socket $socket."
fi

if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # A real X server, so fonts and layout are a desktop's, serving its screen over VNC on
  # loopback only and behind a password kept in the user's configuration folder.
  config_dir=${XDG_CONFIG_HOME:-$HOME/.config}/saldo
  password_file=$config_dir/vnc.passwd
  mkdir -p "$config_dir"
  chmod 700 "$config_dir"
  if [ ! -s "$password_file" ]; then
    password=$(python3 -c 'import secrets, string; a = string.ascii_letters + string.digits; print("".join(secrets.choice(a) for _ in range(8)))')
    (umask 077 && printf '%s\n' "$password" | tigervncpasswd -f >"$password_file")
    echo "A VNC password was created for you: $password"
    echo "It is shown only this once (kept encrypted in $password_file; delete that file for a new one)."
  fi
  vnc_port=${SALDO_VNC_PORT:-5901}
  while (exec 3<>"/dev/tcp/127.0.0.1/$vnc_port") 2>/dev/null; do vnc_port=$((vnc_port + 1)); done
  display_fifo=$(mktemp -u)
  mkfifo "$display_fifo"
  Xvnc -displayfd 3 -localhost -interface 127.0.0.1 -rfbport "$vnc_port" \
    -SecurityTypes VncAuth -rfbauth "$password_file" -geometry "${SALDO_VNC_SIZE:-1366x768}" \
    -depth 24 -nolisten tcp 3>"$display_fifo" 2>"$config_dir/xvnc.log" &
  pids+=($!)
  read -r -t 10 display <"$display_fifo" || true
  rm -f "$display_fifo"
  [ -n "${display:-}" ] || { echo "The X server for VNC did not start." >&2; exit 1; }
  export DISPLAY=":$display"
  echo "No display found: the shell runs on a private X server shown over VNC on 127.0.0.1:$vnc_port."
  echo "On this machine: a VNC viewer (Debian: apt install tigervnc-viewer) on localhost:$vnc_port."
  echo "From another machine: ssh -L $vnc_port:localhost:$vnc_port USER@THIS_MACHINE, then the viewer"
  echo "on localhost:$vnc_port there. The viewer asks for the VNC password."
fi

"$bin/saldo-shell" --open RDQ63500
