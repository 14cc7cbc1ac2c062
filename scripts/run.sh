#!/usr/bin/env bash
# The main job: installs what is missing, builds, starts vexor-server on loopback and starts
# the client against it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
build="${VEXOR_BUILD_DIR:-$root/build}"
port="${VEXOR_PORT:-9090}"

"$build/appserver/vexor-server" serve --host 127.0.0.1 --port "$port" &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
for _ in $(seq 50); do
  if (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null; then break; fi
  sleep 0.1
done

echo "vexor-server runs on 127.0.0.1:$port (pid $server)."
echo "Not there yet: the demo database and its users, and the client's main window with its log-in;"
echo "until they land the client only checks that the server answers."
if [ -n "${DISPLAY:-}" ]; then
  "$build/app/vexor-b2b"
else
  echo "No display: the client was not started. Press Ctrl+C to stop the server."
  wait "$server"
fi
