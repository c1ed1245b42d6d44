#!/usr/bin/env bash
# The layer check on a small fake tree: a downward include passes, an upward one and a
# folder that is no layer fail.
set -euo pipefail
check="$1"
tree="$(mktemp -d)"
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/src/base" "$tree/src/core" "$tree/src/state"
printf '#pragma once\n#include <QString>\n' > "$tree/src/base/Text.h"
printf '#include "base/Text.h"\n#include "core/Other.h"\n' > "$tree/src/core/Settings.h"
printf '#include "core/Settings.h"\n#include "nlohmann/json.hpp"\n' > "$tree/src/state/AppState.cpp"
"$check" "$tree" || { echo "a tree with downward includes only was rejected"; exit 1; }

printf '  #  include "state/AppState.h"\n' > "$tree/src/core/Upward.cpp"
if out="$("$check" "$tree" 2>&1)"; then echo "an upward include passed"; exit 1; fi
grep -q 'Upward.cpp:1: core includes state/AppState.h' <<<"$out" || { echo "unexpected: $out"; exit 1; }
rm "$tree/src/core/Upward.cpp"

mkdir -p "$tree/src/misc"
printf '#include "base/Text.h"\n' > "$tree/src/misc/Loose.h"
if "$check" "$tree" 2>/dev/null; then echo "a folder that is no layer passed"; exit 1; fi
echo ok
