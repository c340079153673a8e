#!/bin/sh
# The layer check passes a tree whose files include only downwards and
# fails each tree with one include that goes upwards or sideways.
#   layers-test.sh <folder of check-layers.sh>
set -u
checker=$1/check-layers.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0

# check <name> <expected exit> <file> <included header>...: a fresh tree in
# which every layer includes common/, plus the one include under test.
check() {
  name=$1 expected=$2 file=$3
  shift 3
  rm -rf "$work/tree"
  for layer in common setup install screens driver uninstall; do
    mkdir -p "$work/tree/$layer"
    printf '#include "../common/text.h"\n#include "../resources/resource.h"\n' >"$work/tree/$layer/part.cpp"
  done
  for header in "$@"; do printf '#include "%s"\n' "$header" >>"$work/tree/$file"; done
  if sh "$checker" "$work/tree" >"$work/out" 2>&1; then got=0; else got=1; fi
  if [ "$got" = "$expected" ]; then
    echo "ok: $name"
  else
    echo "FAIL: $name (exit $got)"; cat "$work/out"; fail=1
  fi
}

check "only downwards" 0 driver/part.cpp "../screens/screens.h" "../install/install.h" "../setup/state.h"
check "common includes install" 1 common/part.cpp "../install/install.h"
check "common includes setup" 1 common/part.cpp "../setup/state.h"
check "setup includes install" 1 setup/part.cpp "../install/install.h"
check "uninstall includes setup" 1 uninstall/part.cpp "../setup/state.h"
check "install includes screens" 1 install/part.cpp "../screens/screens.h"
check "screens includes driver" 1 screens/part.cpp "../driver/driver.h"
check "uninstall includes install" 1 uninstall/part.cpp "../install/install.h"
check "common includes install by its folder name" 1 common/part.cpp "install/install.h"
exit $fail
