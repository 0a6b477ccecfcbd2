#!/usr/bin/env bash
# Sets the machine up, builds, and runs the whole test suite: first the normal build,
# then the AddressSanitizer/UBSan build (skip it with SALDO_SKIP_ASAN=1).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
export SALDO_WERROR=${SALDO_WERROR:-ON}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

presets=(dev)
[ "${SALDO_SKIP_ASAN:-0}" = 1 ] || presets+=(asan)
for preset in "${presets[@]}"; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  # The database tests also run against PostgreSQL and Firebird. pg_virtualenv starts a
  # throw-away PostgreSQL cluster for the duration of ctest and the tests find it through
  # SALDO_TEST_PG; the cluster is UTF-8 whatever the machine's locale (a clean root's C locale
  # would make it SQL_ASCII), and lives in a temporary folder (-t) so that runs side by side
  # never share one. scripts/fb_virtualenv.sh does the same for a Firebird server, found
  # through SALDO_TEST_FB.
  run=(ctest --preset "$preset" -j2)
  if [ "${SALDO_SKIP_FB:-0}" != 1 ]; then
    run=(bash scripts/fb_virtualenv.sh "${run[@]}")
  fi
  if [ "${SALDO_SKIP_PG:-0}" != 1 ] && command -v pg_virtualenv >/dev/null; then
    pg_virtualenv -t -i "--encoding=UTF8 --locale=C.UTF-8" bash -c 'export SALDO_TEST_PG="postgresql://host=$PGHOST port=$PGPORT user=$PGUSER password=$PGPASSWORD dbname=$PGDATABASE"; exec "$@"' bash "${run[@]}"
  else
    "${run[@]}"
  fi
done
