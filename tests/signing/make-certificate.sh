#!/bin/sh
# Makes a throwaway code-signing certificate for the signing test: a
# self-signed certificate for code signing (cert.pem), the same with its key
# as a PFX file (sign.pfx) and that file's password (password).
set -eu
folder=$1
mkdir -p "$folder"
cd "$folder"
umask 077
printf '%s' "throwaway-$$" > password
openssl req -x509 -newkey rsa:2048 -sha256 -days 30 -nodes -subj "/CN=Brindlecast test signing" \
  -addext "keyUsage=digitalSignature" -addext "extendedKeyUsage=codeSigning" \
  -keyout key.pem -out cert.pem 2>/dev/null
openssl pkcs12 -export -inkey key.pem -in cert.pem -out sign.pfx -passout "file:password"
rm -f key.pem
