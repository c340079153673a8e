#!/bin/sh
# Checks the application manifest with a real XML parser: well-formed, the
# elevation request where Windows looks for it, inside a trustInfo that
# declares exactly one namespace (Windows XP refuses a trustInfo without
# one; Windows XP SP2 without its hotfix can restart when an element
# declares the same namespace twice), system DPI awareness, and an identity
# whose version has the four numbers Windows requires (the build makes it
# from the product's version; Windows refuses to start a program whose
# manifest it cannot parse).
set -u
manifest=$1
fail=0

xmllint --noout "$manifest" || { echo "FAIL: not well-formed XML"; exit 1; }
echo "ok: well-formed"

query() {
  xmllint --xpath "$1" "$manifest" 2>/dev/null
}
expect() {
  got=$(query "$1")
  if [ "$got" = "$2" ]; then echo "ok: $3"; else echo "FAIL: $3 (found '$got', expected '$2')"; fail=1; fi
}

v1='urn:schemas-microsoft-com:asm.v1'
v3='urn:schemas-microsoft-com:asm.v3'
trust="/*[local-name()='assembly' and namespace-uri()='$v1']/*[local-name()='trustInfo' and namespace-uri()='$v3']"
level="$trust/*[local-name()='security']/*[local-name()='requestedPrivileges']/*[local-name()='requestedExecutionLevel']"

expect "count($trust)" 1 "one trustInfo of the asm.v3 namespace directly in the assembly"
# The xml prefix and one default namespace are in scope on trustInfo and
# below it: any further declaration would add a third.
expect "count($trust/descendant-or-self::*[count(namespace::*) != 2])" 0 \
  "trustInfo and its content declare no namespace beyond one default"
expect "count($level[namespace-uri()='$v3'])" 1 "one requestedExecutionLevel in the asm.v3 namespace"
expect "string($level/@level)" requireAdministrator "run level requireAdministrator"
expect "string($level/@uiAccess)" false "uiAccess false"

settings="/*[local-name()='assembly']/*[local-name()='application' and namespace-uri()='$v3']/*[local-name()='windowsSettings']"
aware="$settings/*[local-name()='dpiAware' and namespace-uri()='http://schemas.microsoft.com/SMI/2005/WindowsSettings']"
expect "count($aware)" 1 "one dpiAware setting in its namespace"
expect "normalize-space($aware)" true "dpiAware true (system-aware)"

identity="/*[local-name()='assembly']/*[local-name()='assemblyIdentity' and namespace-uri()='$v1']"
expect "count($identity)" 1 "one assemblyIdentity in the assembly"
version=$(query "string($identity/@version)")
if printf '%s\n' "$version" | grep -Eqx '[0-9]{1,5}\.[0-9]{1,5}\.[0-9]{1,5}\.[0-9]{1,5}'; then
  echo "ok: identity version $version"
else
  echo "FAIL: identity version '$version' is not four numbers"; fail=1
fi
exit $fail
