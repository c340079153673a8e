#!/bin/sh
# Fails when a source file includes a header of a layer above its own: the
# entry and order of the run (driver/) on top, then the pages (screens/),
# then the installation steps (install/), then what only the setup's steps
# share (setup/), and what the setup and the uninstaller share (common/) at
# the bottom. The uninstaller (uninstall/) stands on common/ alone.
# resources/ holds only numbers and may be included from anywhere.
set -u
top=${1:-$(dirname "$0")/../..}
cd "$top" || exit 1

rank() {
  case $1 in
    common) echo 0 ;; setup) echo 1 ;; install) echo 2 ;; screens) echo 3 ;; driver) echo 4 ;; uninstall) echo 4 ;;
    *) echo "" ;;
  esac
}

fail=0
checked=0
for file in common/* setup/* install/* screens/* driver/* uninstall/*; do
  [ -f "$file" ] || continue
  layer=${file%%/*}
  own=$(rank "$layer")
  checked=$((checked + 1))
  for included in $(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file"); do
    case $included in
      ../*/*) target=${included#../}; target=${target%%/*} ;;
      */*) target=${included%%/*} ;;
      *) target=$layer ;;
    esac
    [ "$target" = resources ] && continue
    other=$(rank "$target")
    if [ -z "$other" ]; then
      echo "FAIL: $file includes $included, outside the program's layers"; fail=1
    elif [ "$target" != "$layer" ] && { [ "$other" -ge "$own" ] || [ "$layer" = uninstall ] && [ "$target" != common ]; }; then
      echo "FAIL: $file ($layer) includes $included ($target), which is not below it"; fail=1
    fi
  done
done
echo "layers: $checked files checked"
[ "$checked" -gt 0 ] || { echo "FAIL: no source files found"; fail=1; }
exit $fail
