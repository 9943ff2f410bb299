#!/bin/bash
# Makes the certificates of the loopback TLS test server: a test CA, a leaf for 127.0.0.1 and
# "localhost", an expired leaf, a leaf for another name, and a leaf from a CA nobody trusts.
# The PEM files are checked in; run this again only to renew them (they last until 2045).
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

ca() {  # $1: name, $2: common name
  openssl req -x509 -newkey rsa:2048 -nodes -keyout "$1.key" -out "$1.pem" -days 7300 \
    -subj "/CN=$2" -addext "basicConstraints=critical,CA:TRUE" \
    -addext "keyUsage=critical,keyCertSign,cRLSign" 2>/dev/null
}

leaf() {  # $1: name, $2: issuing CA, $3: subjectAltName, $4: start, $5: end (YYYYMMDDHHMMSSZ)
  openssl req -newkey rsa:2048 -nodes -keyout "$1.key" -out "$work/$1.csr" -subj "/CN=$1" \
    2>/dev/null
  mkdir -p "$work/db"
  : >"$work/db/index.txt"
  cat >"$work/ca.cnf" <<CNF
[ca]
default_ca = test
[test]
database = $work/db/index.txt
new_certs_dir = $work/db
serial = $work/db/serial
default_md = sha256
policy = any
copy_extensions = none
x509_extensions = leaf
[any]
commonName = supplied
[leaf]
basicConstraints = critical,CA:FALSE
keyUsage = critical,digitalSignature,keyEncipherment
extendedKeyUsage = serverAuth
subjectAltName = $3
CNF
  openssl rand -hex 16 >"$work/db/serial"
  openssl ca -batch -config "$work/ca.cnf" -cert "$2.pem" -keyfile "$2.key" -in "$work/$1.csr" \
    -out "$work/$1.full" -startdate "$4" -enddate "$5" -notext 2>/dev/null
  openssl x509 -in "$work/$1.full" -out "$1.pem"
}

ca test-ca "Lantervo Test CA"
ca unknown-ca "Lantervo Unknown CA"
leaf localhost test-ca "DNS:localhost,IP:127.0.0.1" 20240101000000Z 20450101000000Z
leaf expired test-ca "DNS:localhost,IP:127.0.0.1" 20200101000000Z 20210101000000Z
leaf wrong-name test-ca "DNS:wrong-name.example" 20240101000000Z 20450101000000Z
leaf untrusted unknown-ca "DNS:localhost,IP:127.0.0.1" 20240101000000Z 20450101000000Z
rm -f test-ca.key unknown-ca.key
