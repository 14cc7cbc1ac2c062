#!/usr/bin/env bash
# Builds in release mode and runs every benchmark; each prints its own figures.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
export VEXOR_BUILD_DIR="${VEXOR_BUILD_DIR:-$root/build-release}" VEXOR_BUILD_TYPE=Release
"$root/scripts/build.sh"
export QT_QPA_PLATFORM=offscreen
for b in "$VEXOR_BUILD_DIR"/bench/bench_*; do
  [ -x "$b" ] || continue
  echo "== $(basename "$b")"
  "$b"
done
