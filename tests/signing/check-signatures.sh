#!/bin/sh
# Checks the programs of a signed setup folder with osslsigncode: each one's
# Authenticode signature verifies against the certificate it was made with
# and uses SHA-256; the programs of the default, unsigned folder carry none.
set -u
signed=$1
certificate=$2
unsigned=$3
fail=0

for program in Setup.exe Tessel.exe Uninstal.exe; do
  report=$(osslsigncode verify -in "$signed/$program" -CAfile "$certificate" 2>&1)
  if printf '%s\n' "$report" | grep -q '^Signature verification: ok' \
     && printf '%s\n' "$report" | grep -q '^Message digest algorithm *: SHA256'; then
    echo "ok: $program signed, SHA-256, verified"
  else
    echo "FAIL: $program does not verify as signed with SHA-256:"; printf '%s\n' "$report"; fail=1
  fi
  if osslsigncode verify -in "$unsigned/$program" >/dev/null 2>&1; then
    echo "FAIL: $program of the unsigned folder carries a signature"; fail=1
  else
    echo "ok: $program of the unsigned folder carries none"
  fi
done
exit $fail
