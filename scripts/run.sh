#!/usr/bin/env bash
# The main job: installs what is missing, builds, seeds a fresh demo database, enrolls this
# machine for the demo dealer, starts vexor-server on loopback, writes the client's
# installation settings beside it and starts the client.
#
# With a display the client opens there and the server stops when the client ends. Without
# one the client runs under Xvfb, logs in as the demo dealer (credentials remembered in a
# profile of its own, "Giriş" pressed by xdotool), and a screenshot of the logged-in main
# window is saved; the script says where.
#
#   VEXOR_PORT (9090), VEXOR_WEB_PORT (9091)   loopback ports of the server
#   VEXOR_BUILD_DIR (build/)                   where to build
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"

build="${VEXOR_BUILD_DIR:-$root/build}"
server_bin="$build/appserver/vexor-server"
client_bin="$build/app/vexor-b2b"
port="${VEXOR_PORT:-9090}"
web_port="${VEXOR_WEB_PORT:-9091}"
demo="$build/demo"
db="$demo/vexor-demo.db"
mkdir -p "$demo"

port_in_use() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }
for p in "$port" "$web_port"; do
  if port_in_use "$p"; then
    echo "Port $p on 127.0.0.1 is already in use; choose others with VEXOR_PORT and VEXOR_WEB_PORT." >&2
    exit 1
  fi
done

echo "== Demo database: $db"
"$server_bin" seed --db "$db" --force | tee "$demo/seed.txt"

# The seed prints its users as "NAME PASSWORD MACHINE WHO..."; take the first dealer and the
# first sales representative.
users() { awk '/^ *USER +PASSWORD/ {table = 1; next} table && NF >= 4 {print}' "$demo/seed.txt"; }
dealer_line="$(users | awk '{who = ""; for (i = 4; i <= NF; i++) who = who " " $i} who ~ /^ dealer/ {print; exit}')"
rep_line="$(users | awk '{who = ""; for (i = 4; i <= NF; i++) who = who " " $i} who ~ /^ sales representative/ {print; exit}')"
dealer="$(echo "$dealer_line" | awk '{print $1}')"
dealer_password="$(echo "$dealer_line" | awk '{print $2}')"
rep="$(echo "$rep_line" | awk '{print $1}')"
rep_password="$(echo "$rep_line" | awk '{print $2}')"
if [ -z "$dealer" ] || [ -z "$rep" ]; then
  echo "The seed did not print a dealer and a representative; see $demo/seed.txt" >&2
  exit 1
fi

echo "== This machine logs in as $dealer"
"$server_bin" enroll --db "$db" --machine local --user "$dealer"

"$server_bin" serve --host 127.0.0.1 --port "$port" --web-port "$web_port" --db "$db" >"$demo/server.log" 2>&1 &
server=$!
trap 'kill "$server" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  if port_in_use "$port" && port_in_use "$web_port"; then break; fi
  if ! kill -0 "$server" 2>/dev/null; then
    echo "vexor-server did not start:" >&2
    cat "$demo/server.log" >&2
    exit 1
  fi
  sleep 0.1
done
echo "== vexor-server runs on 127.0.0.1:$port (web endpoints on port $web_port, pid $server; log $demo/server.log)"

# The client's installation settings, beside the executable.
settings="$(dirname "$client_bin")/vexor-b2b.ini"
cat >"$settings" <<INI
; Vexor B2B installation settings, written by scripts/run.sh for the local demo server.
[server]
host=127.0.0.1
port=$port

[web]
vendor=http://127.0.0.1:$web_port/
update=http://127.0.0.1:$web_port/
INI
echo "== Installation settings: $settings"

cat <<TXT

Demo users (passwords as printed by the seed):
  dealer                $dealer / $dealer_password    (this machine is enrolled for this user)
  sales representative  $rep / $rep_password    (to log in as this user instead:
                        $server_bin enroll --db $db --machine local --user $rep)

TXT

if [ -n "${DISPLAY:-}" ]; then
  echo "== Starting the client; the server stops when it ends."
  "$client_bin" || true
  exit 0
fi

# Headless: a profile of its own with the dealer's credentials remembered.
profile="$demo/headless-profile"
rm -rf "$profile"
mkdir -p "$profile/config/vexor" "$profile/data" "$profile/cache" "$profile/runtime"
chmod 700 "$profile/runtime"
(umask 077; printf '[kullanici]\nisim=%s\nsifre=%s\nhatırla=1\n' "$dealer" "$dealer_password" >"$profile/config/vexor/ayar.ini")
shot="$demo/vexor-b2b-main-window.png"
rm -f "$shot"

echo "== No display: running the client under Xvfb"
export client_bin profile shot
xvfb-run -a -s "-screen 0 1600x900x24" bash <<'XVFB'
set -euo pipefail
export XDG_CONFIG_HOME="$profile/config" XDG_DATA_HOME="$profile/data" XDG_CACHE_HOME="$profile/cache" XDG_RUNTIME_DIR="$profile/runtime"
"$client_bin" >"$profile/client.log" 2>&1 &
client=$!
trap 'kill "$client" 2>/dev/null || true' EXIT
wait_window() {
  for _ in $(seq 300); do
    w="$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)"
    if [ -n "$w" ]; then echo "$w"; return 0; fi
    sleep 0.1
  done
  return 1
}
login="$(wait_window '^Giriş$')" || { echo "The log-in window did not appear; see $profile/client.log" >&2; exit 1; }
eval "$(xdotool getwindowgeometry --shell "$login")"
# "Giriş" sits at (40, 381), 122 x 38, in the 368 x 550 log-in window.
xdotool mousemove $((X + 101)) $((Y + 400)) click 1
main="$(wait_window '^Vexor Otomotiv B2B Programı')" || { echo "The main window did not appear; see $profile/client.log" >&2; exit 1; }
# No window manager maximises it under Xvfb: give it the screen.
xdotool windowmove "$main" 0 0 windowsize "$main" 1600 900
# The start-up sequence fills the header, banners, news line and counts in the background.
sleep 4
import -window root "$shot"
XVFB
echo "== Screenshot of the logged-in main window: $shot"
