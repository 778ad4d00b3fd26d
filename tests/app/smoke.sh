#!/usr/bin/env bash
# Starts the real program under Xvfb in a temporary program folder, waits for
# its main window, ends it with SIGTERM as a desktop log-off does, and checks
# what a run leaves behind: the settings file, the window state and the
# data folders.
set -euo pipefail

exe=$1        # the built program
db=$2         # the database file the build made

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill -9 "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "smoke: FAILED: $*" >&2; [ -f "$work/app.log" ] && sed 's/^/  app: /' "$work/app.log" >&2; exit 1; }

mkdir -p "$work/prog/dat" "$work/home"
cp "$exe" "$work/prog/kelvor"
cp "$db" "$work/prog/dat/dzxcb.mdb"
mkdir -p "$work/prog/bjjpg" && echo old > "$work/prog/bjjpg/old.jpg"
# A stored height below the window's minimum: the window comes up at the
# minimum height, so only the close path can write WinHeight=138 back.
state="$work/home/.config/Kelvor视频录像监控软件.conf"
mkdir -p "$(dirname "$state")"
printf '[General]\nWinHeight=100\nShowList=true\n' > "$state"

# A display of our own; -displayfd tells which number it took.
exec 3> "$work/display"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp > "$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
display=":$(head -n1 "$work/display")"

cd "$work/prog"
env -u QT_QPA_PLATFORM DISPLAY="$display" HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" \
    ./kelvor > "$work/app.log" 2>&1 &
app_pid=$!

found=""
for _ in $(seq 150); do
    if DISPLAY="$display" xwininfo -root -tree 2>/dev/null | grep -q '"Kelvor视频监控"'; then
        found=yes; break
    fi
    kill -0 "$app_pid" 2>/dev/null || fail "the program ended before its window showed"
    sleep 0.1
done
[ -n "$found" ] || fail "no main window within 15 s"
echo "smoke: main window is up"

if [ -n "${KELVOR_SCREENSHOT:-}" ]; then
    sleep 1
    DISPLAY="$display" xwd -root -silent > "$work/shot.xwd" && cp "$work/shot.xwd" "$KELVOR_SCREENSHOT"
fi

kill -TERM "$app_pid"
for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the program did not end within 10 s of SIGTERM"
rc=0; wait "$app_pid" || rc=$?
app_pid=""
[ "$rc" -eq 0 ] || fail "exit code $rc"

ini="$work/prog/kelvor.ini"
[ -f "$ini" ] || fail "no settings file"
[ "$(grep -c '^\[' "$ini")" -eq 1 ] || fail "settings file should hold one section"
grep -qx '\[Judge\]' "$ini" || fail "section header is not [Judge]"
keys=$(grep -v '^\[' "$ini" | grep -v '^$' | cut -d= -f1 | tr '\n' ' ')
expected="server_name strdrive strw1 strh1 strkjqy strjrjk strzxh strqpxs stremail strtell strzxylj strqyemail strgs strfbl strysbl strjrmm strsfbj strsfbcsp strbd strjp "
[ "$keys" = "$expected" ] || fail "keys are '$keys'"
grep -qx "strzxylj=$work/prog/avi" "$ini" || fail "recording folder not the default"
grep -qx 'strqyemail=0' "$ini" || fail "strqyemail not 0"

[ -f "$state" ] || fail "no window state at $state"
for v in ImgFace Volume WinHeight WinWidth WinTop ShowList; do
    grep -q "^$v=" "$state" || fail "window state lacks $v"
done
grep -qx 'Volume=23' "$state" || fail "Volume is not 23"
grep -qx 'WinHeight=138' "$state" || fail "the close path did not save the window state"
grep -qx 'ShowList=false' "$state" || fail "ShowList not saved as false"

for d in sourcejpg bjjpg zipfile avi; do
    [ -d "$work/prog/$d" ] || fail "folder $d missing"
done
[ -e "$work/prog/bjjpg/old.jpg" ] && fail "bjjpg was not emptied"

echo "smoke: 1 passed, 0 failed"
