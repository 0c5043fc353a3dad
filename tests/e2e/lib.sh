# Shared helpers for the end-to-end scripts: a scratch copy of the asset tree, starting the game
# in it, finding its window, and screenshots.
set -euo pipefail

GAME="$1"
ROOT="$2"
SCRATCH="$(mktemp -d /tmp/glimmer-e2e.XXXXXX)"
GAME_PID=""
trap 'cleanup' EXIT

cleanup() {
    [[ -n "$GAME_PID" ]] && kill -9 "$GAME_PID" 2>/dev/null
    rm -rf "$SCRATCH"
}

fail() {
    echo "FAIL: $*" >&2
    for stream in stdout stderr; do
        [[ -f "$SCRATCH/$stream.txt" ]] && { echo "--- game $stream (tail) ---"; tail -20 "$SCRATCH/$stream.txt"; } >&2
    done
    exit 1
}

# A fresh copy of the asset tree that a test may break, with the game run from $SCRATCH/run.
make_tree() {
    rm -rf "$SCRATCH/assets" "$SCRATCH/stdout.txt" "$SCRATCH/stderr.txt"
    mkdir -p "$SCRATCH/run"
    cp -r "$ROOT/assets" "$SCRATCH/assets"
}

# The game's sound goes to OpenAL Soft's null output (mixed, never heard), so that every machine
# runs the tests with sound on and nothing comes out of its speakers; a test may choose another.
export ALSOFT_DRIVERS=null

# Starts the game in the background with standard input not a terminal. Variables named in
# GAME_UNSET are taken out of its environment; GAME_ENV holds NAME=VALUE words added to it. With
# GAME_UNPRIVILEGED set, a root shell starts it as nobody, for whom file permissions hold (root
# reads any file).
GAME_UNSET=""
GAME_ENV=""
GAME_UNPRIVILEGED=""
start_game() {
    local as=()
    if [[ -n "$GAME_UNPRIVILEGED" && "$(id -u)" == 0 ]]; then
        chmod 755 "$SCRATCH"
        as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
    fi
    (
        cd "$SCRATCH/run"
        [[ -n "$GAME_UNSET" ]] && unset $GAME_UNSET
        [[ -n "$GAME_ENV" ]] && export $GAME_ENV
        exec "${as[@]}" "$GAME" </dev/null >"$SCRATCH/stdout.txt" 2>"$SCRATCH/stderr.txt"
    ) &
    GAME_PID=$!
}

# Waits (up to $1 seconds) for the game to exit and sets STATUS to its exit status, or to
# "timeout". Not for use inside $(...): only this shell can wait for its child.
wait_exit() {
    local waited=0
    STATUS=0
    while kill -0 "$GAME_PID" 2>/dev/null; do
        sleep 0.2
        ((++waited > $1 * 5)) && { STATUS=timeout; return; }
    done
    wait "$GAME_PID" || STATUS=$?
    GAME_PID=""
}

# Echoes the id of the game's window once it is there (focused), or nothing if the game exits
# before it appears or it does not within 30 s.
window_of_game() {
    for _ in $(seq 1 150); do
        local wid
        wid="$(xdotool search --onlyvisible --name '^Glimmerdeep$' 2>/dev/null | head -1 || true)"
        [[ -n "$wid" ]] && { xdotool windowfocus "$wid" 2>/dev/null || true; echo "$wid"; return; }
        kill -0 "$GAME_PID" 2>/dev/null || return
        sleep 0.2
    done
}

find_window() {
    local wid
    wid="$(window_of_game)"
    [[ -n "$wid" ]] || fail "no window titled Glimmerdeep appeared"
    echo "$wid"
}

# Escape to the window $1 until the game goes (a key sent before its first frame may be missed);
# sets STATUS as wait_exit does.
escape_until_gone() {
    for _ in $(seq 60); do
        kill -0 "$GAME_PID" 2>/dev/null && xdotool key --window "$1" Escape || break
        sleep 1
    done
    wait_exit 60
}

screenshot() { import -window root "$1"; }

# Pixels in a rectangle of a screenshot that pass an fx test.
count_where() {
    convert "$1" -crop "$2" +repage -fx "$3 ? 1 : 0" -format "%[fx:int(mean*w*h+0.5)]" info:
}
count_red() { count_where "$1" "$2" '(r>0.59 && g<0.4 && b<0.4)'; }
count_white() { count_where "$1" "$2" '(r>0.7 && g>0.7 && b>0.7)'; }
count_lit() { count_where "$1" "${2:-10000x10000+0+0}" '(r>0.02 || g>0.02 || b>0.02)'; }
# Succeeds when the arithmetic comparison $1 (awk syntax) holds.
holds() { awk "BEGIN { exit !($1) }"; }
