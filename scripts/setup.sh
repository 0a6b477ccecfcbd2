#!/usr/bin/env bash
# Installs every Debian package the project needs to build, test and run, when missing.
# Safe to run again: it installs nothing when everything is there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build ccache clang-format pkg-config file
  qt6-base-dev libgl-dev libqt6svg6 qt6-translations-l10n
  libsoci-dev libboost-dev libsqlite3-dev sqlite3 libpq-dev libssl-dev openssl libicu-dev libsodium-dev
  nlohmann-json3-dev libasio-dev libcli11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  postgresql postgresql-contrib
  # scripts/cluster.sh: Patroni, with python3-etcd as its client of etcd, and HAProxy
  patroni python3-etcd etcd-server etcd-client haproxy
  firebird3.0-server firebird3.0-utils firebird-dev libsoci-firebird4.0
  xvfb xauth python3
  tigervnc-standalone-server tigervnc-tools fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
