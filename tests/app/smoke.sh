#!/usr/bin/env bash
# Starts the real program under Xvfb in a temporary program folder, waits for
# its main window, ends it with SIGTERM as a desktop log-off does, and checks
# what a run leaves behind. Three runs:
#   1. no camera: the settings file, the window state and the data folders;
#   2. the test pattern as camera: monitoring starts by itself about 4 s after
#      start, and the end leaves a finished avib row and an AVI file that
#      plays for as long as it was recorded;
#   3. alarm snapshots on: none while the scene is still, some once an
#      object walks in.
set -euo pipefail

exe=$1 # the built program
db=$2  # the database file the build made

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill -9 "$app_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "smoke: FAILED: $*" >&2
    [ -f "$work/app.log" ] && sed 's/^/  app: /' "$work/app.log" >&2
    [ -s "$work/xvfb.log" ] && sed 's/^/  xvfb: /' "$work/xvfb.log" >&2
    exit 1
}

# A display of our own. The server takes the first free display number and
# tells it through -displayfd; a cookie of ours guards it, so no access rule of
# the machine decides who may connect. A client is only started once a probe
# has connected: if the usual sockets cannot be reached (a sandbox may refuse
# the abstract socket namespace), the server is started again listening only
# on its socket file, then only on loopback TCP.
export XAUTHORITY="$work/Xauthority"
: > "$XAUTHORITY"
cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
start_display() { # start_display <how>; sets display and xvfb_pid
    local how=$1 listen host=""
    case $how in
    sockets) listen=(-nolisten tcp) ;;
    file) listen=(-nolisten tcp -nolisten local) ;;
    tcp) listen=(-listen tcp -nolisten local -nolisten unix); host=127.0.0.1 ;;
    esac
    rm -f "$work/display"
    exec 3> "$work/display"
    Xvfb -displayfd 3 -auth "$XAUTHORITY" -screen 0 1280x800x24 "${listen[@]}" \
        >> "$work/xvfb.log" 2>&1 &
    xvfb_pid=$!
    exec 3>&-
    for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
    if [ -s "$work/display" ]; then
        display="$host:$(head -n1 "$work/display")"
        xauth -q add "$display" MIT-MAGIC-COOKIE-1 "$cookie"
        for _ in $(seq 30); do
            DISPLAY="$display" xdpyinfo > /dev/null 2>> "$work/probe.log" && return 0
            kill -0 "$xvfb_pid" 2>/dev/null || break
            sleep 0.1
        done
        echo "Xvfb ($how) on $display did not answer" >> "$work/probe.log"
    else
        echo "Xvfb ($how) reported no display" >> "$work/probe.log"
    fi
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    xvfb_pid=""
    return 1
}
display=""
for how in sockets file tcp; do
    start_display "$how" && break
done
if [ -z "$xvfb_pid" ]; then
    uniq -c "$work/probe.log" | sed 's/^/  probe: /' >&2
    fail "no display server could be reached"
fi
[ -s "$work/probe.log" ] && uniq -c "$work/probe.log" | sed 's/^/smoke: display probe: /'
echo "smoke: display $display"

# start_program <folder> [VAR=value ...]: a fresh program folder, then the
# program in it, waiting for its main window.
start_program() {
    local prog=$1; shift
    mkdir -p "$prog/dat" "$work/home"
    cp "$exe" "$prog/kelvor"
    cp "$db" "$prog/dat/dzxcb.mdb"
    (cd "$prog" && exec env -u QT_QPA_PLATFORM -u KELVOR_TEST_CAMERA DISPLAY="$display" \
        HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" "$@" ./kelvor) \
        > "$work/app.log" 2>&1 &
    app_pid=$!
    for _ in $(seq 150); do
        if DISPLAY="$display" xwininfo -root -tree 2>/dev/null | grep -q '"Kelvor视频监控"'; then
            return 0
        fi
        kill -0 "$app_pid" 2>/dev/null || fail "the program ended before its window showed"
        sleep 0.1
    done
    fail "no main window within 15 s"
}

stop_program() {
    kill -TERM "$app_pid"
    for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$app_pid" 2>/dev/null && fail "the program did not end within 10 s of SIGTERM"
    local rc=0
    wait "$app_pid" || rc=$?
    app_pid=""
    [ "$rc" -eq 0 ] || fail "exit code $rc"
}

# Monitoring starts by itself about 4 s after the window shows, and enters
# its recording in avib as it starts.
wait_for_avib_row() {
    for _ in $(seq 100); do
        [ "$(sqlite3 "$prog/dat/dzxcb.mdb" 'select count(*) from avib' 2>/dev/null || echo 0)" -ge 1 ] && return 0
        sleep 0.1
    done
}

# ---------------------------------------------------------------- run 1
prog="$work/prog"
mkdir -p "$prog/bjjpg" && echo old > "$prog/bjjpg/old.jpg"
# A stored height below the window's minimum: the window comes up at the
# minimum height, so only the close path can write WinHeight=138 back.
state="$work/home/.config/Kelvor视频录像监控软件.conf"
mkdir -p "$(dirname "$state")"
printf '[General]\nWinHeight=100\nShowList=true\n' > "$state"

start_program "$prog"
echo "smoke: main window is up"
stop_program

ini="$prog/kelvor.ini"
[ -f "$ini" ] || fail "no settings file"
[ "$(grep -c '^\[' "$ini")" -eq 1 ] || fail "settings file should hold one section"
grep -qx '\[Judge\]' "$ini" || fail "section header is not [Judge]"
keys=$(grep -v '^\[' "$ini" | grep -v '^$' | cut -d= -f1 | tr '\n' ' ')
expected="server_name strdrive strw1 strh1 strkjqy strjrjk strzxh strqpxs stremail strtell strzxylj strqyemail strgs strfbl strysbl strjrmm strsfbj strsfbcsp strbd strjp "
[ "$keys" = "$expected" ] || fail "keys are '$keys'"
grep -qx "strzxylj=$prog/avi" "$ini" || fail "recording folder not the default"
grep -qx 'strqyemail=0' "$ini" || fail "strqyemail not 0"

[ -f "$state" ] || fail "no window state at $state"
for v in ImgFace Volume WinHeight WinWidth WinTop ShowList; do
    grep -q "^$v=" "$state" || fail "window state lacks $v"
done
grep -qx 'Volume=23' "$state" || fail "Volume is not 23"
grep -qx 'WinHeight=138' "$state" || fail "the close path did not save the window state"
grep -qx 'ShowList=false' "$state" || fail "ShowList not saved as false"

for d in sourcejpg bjjpg zipfile avi; do
    [ -d "$prog/$d" ] || fail "folder $d missing"
done
[ -e "$prog/bjjpg/old.jpg" ] && fail "bjjpg was not emptied"
echo "smoke: run without a camera leaves settings, window state and folders"

# ---------------------------------------------------------------- run 2
prog="$work/prog2"
start_program "$prog" KELVOR_TEST_CAMERA=pattern:fps=20
wait_for_avib_row
started=$(date +%s.%N)
[ "$(sqlite3 "$prog/dat/dzxcb.mdb" 'select count(*) from avib where wjid=0')" = 1 ] ||
    fail "monitoring did not start by itself"
sleep 4
if [ -n "${KELVOR_SCREENSHOT:-}" ]; then
    DISPLAY="$display" xwd -root -silent > "$KELVOR_SCREENSHOT"
fi
stopped=$(date +%s.%N)
stop_program

row=$(sqlite3 -separator ' ' "$prog/dat/dzxcb.mdb" 'select wjid, strpath from avib')
[ "$(echo "$row" | wc -l)" = 1 ] || fail "expected one avib row, got: $row"
[ "${row%% *}" = 1 ] || fail "the recording's row is not finished: $row"
avi=${row#* }
[ -s "$avi" ] || fail "no recording at $avi"
codec=$(ffprobe -v error -select_streams v:0 -show_entries stream=codec_name -of csv=p=0 "$avi")
[ "$codec" = msvideo1 ] || fail "codec is $codec"
size=$(ffprobe -v error -select_streams v:0 -show_entries stream=width,height -of csv=p=0 "$avi")
[ "$size" = "320,240" ] || fail "size is $size"
duration=$(ffprobe -v error -show_entries format=duration -of csv=p=0 "$avi")
wall=$(echo "$stopped - $started" | bc -l)
# The recording runs from the start found above (at most 0.1 s late) to the
# SIGTERM: it must play as long as that, within a second.
ok=$(echo "d=$duration; w=$wall; (d >= w - 1) && (d <= w + 1)" | bc -l)
[ "$ok" = 1 ] || fail "recording plays ${duration}s, recorded for ${wall}s"
echo "smoke: the test pattern was recorded for ${wall}s and plays ${duration}s"

# ---------------------------------------------------------------- run 3
# Alarm snapshots on: the test scene stays still until a figure walks in
# 8 s after the camera starts (about 12 s after start: monitoring starts at
# about 4 s), and the reference is taken every 10 s from start. No snapshot
# while the scene is still; snapshots and rows once the figure is there.
prog="$work/prog3"
mkdir -p "$prog"
printf '[Judge]\nstrsfbj=1\n' > "$prog/kelvor.ini"
start_program "$prog" KELVOR_TEST_CAMERA=pattern:fps=20,interval=8,duration=4
# Time is counted from the moment monitoring starts (its avib row appears),
# which is when the camera starts, so a slow start cannot shift the figure.
wait_for_avib_row
t0=$(date +%s.%N)
count_rows() { sqlite3 "$prog/dat/dzxcb.mdb" 'select count(*) from bjb' 2>/dev/null || echo 0; }
sleep_until() { local left; left=$(echo "$t0 + $1 - $(date +%s.%N)" | bc -l); [ "$(echo "$left > 0" | bc -l)" = 1 ] && sleep "$left"; return 0; }
sleep_until 7.3
still=$(count_rows)
sleep_until 11.5
moved=$(count_rows)
stop_program
[ "$still" = 0 ] || fail "$still alarm snapshots while the scene was still"
[ "$moved" -ge 1 ] || fail "no alarm snapshot after the figure appeared"
# The program keeps comparing until it is stopped, so more rows may have
# come after the count above: check against the rows as they are now.
rows=$(count_rows)
[ "$rows" -ge "$moved" ] || fail "$moved rows before the stop but $rows after"
jpgs=$(ls "$prog/sourcejpg"/*.jpg 2>/dev/null | wc -l)
[ "$jpgs" -ge "$rows" ] || fail "$rows rows but $jpgs snapshots"
while read -r path; do
    [ -s "$path" ] || fail "the snapshot $path of a row is missing"
done < <(sqlite3 "$prog/dat/dzxcb.mdb" 'select strpath from bjb order by iid')
[ "$(sqlite3 "$prog/dat/dzxcb.mdb" "select count(*) from bjb where sendbz='N'")" = "$rows" ] ||
    fail "snapshots not entered as unsent"
echo "smoke: no snapshot while still, $moved after the figure appeared"

echo "smoke: 3 passed, 0 failed"
