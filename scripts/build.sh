#!/usr/bin/env bash
# Configures and builds the whole project into build/ (or $VEXOR_BUILD_DIR).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${VEXOR_BUILD_DIR:-$root/build}"
type="${VEXOR_BUILD_TYPE:-RelWithDebInfo}"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="$type" -DVEXOR_WARNINGS_AS_ERRORS="${VEXOR_WERROR:-OFF}" >/dev/null
ninja -C "$build" -j"${VEXOR_JOBS:-2}"
