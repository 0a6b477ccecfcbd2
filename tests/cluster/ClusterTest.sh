#!/usr/bin/env bash
# Faults on the local cluster of scripts/cluster.sh: 8 clients save with request keys while the
# application servers are killed (SIGKILL) in turn and the PostgreSQL primary is killed twice
# (tests/cluster/soak.py), then every outcome is checked against the database: each
# acknowledged save stored once with one audit line, each refusal a real one, no month beyond
# its ledger balance, every kept total equal to its balances' sum. Prints the counts and how
# long no save was stored after each kind of kill.
#
# SALDO_SOAK_SECONDS sets the length (default 45; docs/deploy.md describes a longer run).
# Exits 77 (skipped) when the cluster's programs are not installed (bash scripts/setup.sh).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
for tool in etcd patroni haproxy psql; do
  command -v "$tool" >/dev/null || {
    echo "SKIPPED: $tool is not installed (bash scripts/setup.sh installs it)"
    exit 77
  }
done
# The cluster's own addresses only: not those of a PostgreSQL the suite may have started.
unset PGHOST PGPORT PGUSER PGPASSWORD PGDATABASE PGSERVICE PGPASSFILE
export SALDO_SERVER_BIN=${SALDO_SERVER_BIN:-$root/build/dev/bin/saldo-server}
export SALDO_CLUSTER_PORT=${SALDO_CLUSTER_PORT:-27800}
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
python3 "$here/soak.py" faults "${SALDO_SOAK_SECONDS:-45}" || fail "the soak found faults"
# The totals the balance rule reads, kept by the database's triggers through every fault.
# shellcheck source=/dev/null
. "$dir/cluster.env"
"$SALDO_SERVER_BIN" totals --db "$SALDO_CLUSTER_DB" || fail "the implanted totals differ from the balances"
echo "PASSED"
