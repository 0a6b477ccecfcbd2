#!/usr/bin/env bash
# Faults on the local cluster of scripts/cluster.sh, with saves through HAProxy: the PostgreSQL
# primary is killed (SIGKILL of its postmaster), then one application server. After each, a
# save must succeed again within 30 s; every save is sent with a request key and repeated with
# the same key until it is stored, and must be in the database exactly once, with one audit
# line. Prints how long no save succeeded after each kill.
#
# Opt-in (it starts etcd, Patroni, PostgreSQL and HAProxy): SALDO_TEST_CLUSTER=1 when
# configuring registers it with CTest; or run it by hand: bash tests/cluster/ClusterTest.sh
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
export SALDO_SERVER_BIN=${SALDO_SERVER_BIN:-$root/build/dev/bin/saldo-server}
export SALDO_CLUSTER_PORT=${SALDO_CLUSTER_PORT:-47800}
SALDO_CLUSTER_DIR=$(mktemp -d /tmp/saldo-cluster-test.XXXXXX)
export SALDO_CLUSTER_DIR
dir=$SALDO_CLUSTER_DIR
cluster() { bash "$root/scripts/cluster.sh" "$@"; }
trap 'cluster down >/dev/null || true; rmdir "$dir" 2>/dev/null || true' EXIT
fail() {
  local log
  echo "FAILED: $*" >&2
  for log in "$dir"/log/*.log; do
    [ -f "$log" ] && { echo "== $log" && tail -n 20 "$log"; } >&2
  done
  exit 1
}

cluster up
# The cluster's addresses: SALDO_CLUSTER_DB, SALDO_CLUSTER_FRONT.
# shellcheck source=/dev/null
. "$dir/cluster.env"
front=$SALDO_CLUSTER_FRONT
call() { python3 "$here/saldo_call.py" "$@"; }

# Sends the save dated $1 under key $2, again with the same key until it is stored (at most
# 30 s), after killing process $3 if given; prints the milliseconds from the kill until the
# save was stored, and the number of attempts.
save_until_stored() { call save "$front" "$@" || fail "the save dated $1 was not stored"; }

# Each saved balance is in the database once, with one audit line under its key.
check_saved_once() {
  local months=() keys=() expected=() counts audit key
  while [ $# -gt 0 ]; do
    months+=("$1") keys+=("$2") expected+=(1)
    shift 2
  done
  counts=$(call count "$front" "${months[@]}")
  [ "$counts" = "${expected[*]}" ] || fail "saved balances per month: $counts (expected ${expected[*]})"
  # shellcheck disable=SC2153 # from cluster.env
  audit=$("$SALDO_SERVER_BIN" audit --db "$SALDO_CLUSTER_DB" --company 01 --format csv)
  for key in "${keys[@]}"; do
    [ "$(grep -c -- "$key" <<<"$audit")" = 1 ] || fail "audit lines of key $key: not exactly one"
  done
}

leader_node() {
  patronictl -c "$dir/pg1.yml" list -f json |
    python3 -c 'import json, sys; print(next(m["Member"] for m in json.load(sys.stdin) if m["Role"] == "Leader"))'
}

run=$(date +%s)
save_until_stored 2031-01-31 "cluster-$run-1" >/dev/null

leader=$(leader_node)
postmaster=$(head -1 "$dir/$leader/data/postmaster.pid")
echo "Killing the PostgreSQL primary $leader (postmaster $postmaster)"
result=$(save_until_stored 2031-02-28 "cluster-$run-2" "$postmaster")
read -r primary_gap primary_attempts <<<"$result"
echo "Primary now: $(leader_node)"
check_saved_once 2031-01-31 "cluster-$run-1" 2031-02-28 "cluster-$run-2"

server=$(cat "$dir/run/server1.pid")
echo "Killing saldo-server 1 (process $server)"
result=$(save_until_stored 2031-03-31 "cluster-$run-3" "$server")
read -r server_gap server_attempts <<<"$result"
check_saved_once 2031-01-31 "cluster-$run-1" 2031-02-28 "cluster-$run-2" 2031-03-31 "cluster-$run-3"

patronictl -c "$dir/pg1.yml" list
echo "Time without a stored save: ${primary_gap} ms (${primary_attempts} attempts) after the" \
  "primary was killed, ${server_gap} ms (${server_attempts} attempts) after a server was killed."
echo "PASSED"
