#!/usr/bin/env bash
# Makes what the application server needs to speak TLS: a private certificate authority
# (ca.pem, ca.key) and a server certificate signed by it (server.pem, server.key) for the given
# host names and addresses (default: this machine's name, localhost and 127.0.0.1).
# An authority already in DIR is kept, so clients that trust it go on trusting the new
# certificate. Clients get ca.pem (config key `ca`) or the fingerprint printed at the end
# (config key `fingerprint`). Private keys are readable by their owner only.
#
#   scripts/make-certificates.sh DIR [HOSTNAME...]
#   saldo-server serve --listen 0.0.0.0:47630 --tls-cert DIR/server.pem --tls-key DIR/server.key
set -euo pipefail

if [ $# -lt 1 ] || [ "$1" = "-h" ] || [ "$1" = "--help" ]; then
  echo "uso: $0 PASTA [NOME-DO-SERVIDOR...]" >&2
  exit 2
fi
command -v openssl >/dev/null || { echo "o comando openssl não está instalado (apt install openssl)" >&2; exit 1; }

dir=$1
shift
names=("$@")
[ ${#names[@]} -gt 0 ] || names=("$(hostname -f 2>/dev/null || hostname)" localhost 127.0.0.1)

mkdir -p "$dir"
umask 077
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

alt=""
for name in "${names[@]}"; do
  if [[ $name =~ ^[0-9.]+$ || $name == *:* ]]; then entry="IP:$name"; else entry="DNS:$name"; fi
  alt="${alt:+$alt,}$entry"
done

if [ ! -f "$dir/ca.pem" ] || [ ! -f "$dir/ca.key" ]; then
  openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -sha256 -days 3650 \
    -subj "/CN=Saldo Comercial - autoridade certificadora local" \
    -addext "basicConstraints=critical,CA:TRUE,pathlen:0" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" \
    -keyout "$dir/ca.key" -out "$dir/ca.pem" 2>/dev/null
  echo "Autoridade certificadora criada: $dir/ca.pem"
fi

openssl req -new -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes \
  -subj "/CN=${names[0]}" -keyout "$work/server.key" -out "$work/server.csr" 2>/dev/null
cat >"$work/extensions" <<EXT
basicConstraints=critical,CA:FALSE
keyUsage=critical,digitalSignature
extendedKeyUsage=serverAuth
subjectAltName=$alt
EXT
openssl x509 -req -in "$work/server.csr" -CA "$dir/ca.pem" -CAkey "$dir/ca.key" -CAcreateserial \
  -CAserial "$work/ca.srl" -sha256 -days 825 -extfile "$work/extensions" \
  -out "$work/server.pem" 2>/dev/null
mv "$work/server.key" "$dir/server.key"
mv "$work/server.pem" "$dir/server.pem"
chmod 600 "$dir/ca.key" "$dir/server.key"
chmod 644 "$dir/ca.pem" "$dir/server.pem"

fingerprint=$(openssl x509 -in "$dir/server.pem" -noout -fingerprint -sha256 | cut -d= -f2)
echo "Certificado do servidor: $dir/server.pem (chave: $dir/server.key) para $alt"
echo "Impressão digital (SHA-256): $fingerprint"
