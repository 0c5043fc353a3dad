# Shared helpers for the end-to-end scripts: a scratch copy of the asset tree, starting the game
# in it, finding its window, and screenshots.
set -euo pipefail

GAME="$1"
ROOT="$2"
SCRATCH="$(mktemp -d /tmp/glimmer-e2e.XXXXXX)"
GAME_PID=""
trap 'cleanup' EXIT

cleanup() {
    if [[ -n "$GAME_PID" ]] && kill -0 "$GAME_PID" 2>/dev/null; then
        kill -9 "$GAME_PID" 2>/dev/null || true
    fi
    rm -rf "$SCRATCH"
}

fail() {
    echo "FAIL: $*" >&2
    if [[ -f "$SCRATCH/stdout.txt" ]]; then
        echo "--- game stdout (tail) ---" >&2
        tail -20 "$SCRATCH/stdout.txt" >&2
    fi
    if [[ -f "$SCRATCH/stderr.txt" ]]; then
        echo "--- game stderr (tail) ---" >&2
        tail -20 "$SCRATCH/stderr.txt" >&2
    fi
    exit 1
}

# A copy of the asset tree that a test may break, with the game run from $SCRATCH/run.
make_tree() {
    mkdir -p "$SCRATCH/run"
    cp -r "$ROOT/assets" "$SCRATCH/assets"
}

# Starts the game in the background with standard input not a terminal. Variables named in
# GAME_UNSET are taken out of its environment. With GAME_UNPRIVILEGED set, a root shell starts it
# as nobody, for whom file permissions hold (root reads any file).
GAME_UNSET=""
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
        exec "${as[@]}" "$GAME" </dev/null >"$SCRATCH/stdout.txt" 2>"$SCRATCH/stderr.txt"
    ) &
    GAME_PID=$!
}

# Waits (up to $1 seconds) for the game to exit and sets STATUS to its exit status, or to
# "timeout". Not for use inside $(...): only this shell can wait for its child.
wait_exit() {
    local limit="$1" waited=0
    STATUS=""
    while kill -0 "$GAME_PID" 2>/dev/null; do
        sleep 0.2
        waited=$((waited + 1))
        if ((waited > limit * 5)); then
            STATUS=timeout
            return
        fi
    done
    STATUS=0
    wait "$GAME_PID" || STATUS=$?
    GAME_PID=""
}

# Waits for the game's window and focuses it; echoes the window id.
find_window() {
    local wid=""
    for _ in $(seq 1 150); do
        wid="$(xdotool search --onlyvisible --name '^Glimmerdeep$' 2>/dev/null | head -1 || true)"
        [[ -n "$wid" ]] && break
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game exited before its window appeared"
        sleep 0.2
    done
    [[ -n "$wid" ]] || fail "no window titled Glimmerdeep appeared"
    xdotool windowfocus "$wid" 2>/dev/null || true
    echo "$wid"
}

# Takes screenshots into $1 until the window shows more than a black screen (the first frames
# come a few seconds after the window, start-up being slow on a software renderer).
wait_first_frame() {
    for _ in $(seq 1 100); do
        screenshot "$1"
        local lit
        lit="$(convert "$1" -threshold 2% -format "%[fx:int(mean*w*h+0.5)]" info:)"
        ((lit > 1000)) && return 0
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game exited before drawing"
        sleep 0.2
    done
    fail "the window stayed black"
}

screenshot() {
    import -window root "$1"
}

# The colour of one pixel of a screenshot as "r g b" (0-255).
pixel() {
    convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info:
}

# Counts pixels in a rectangle whose red channel exceeds 150 while green and blue stay under 100.
count_red() {
    local image="$1" geometry="$2"
    convert "$image" -crop "$geometry" +repage -fx '(r>0.59 && g<0.4 && b<0.4) ? 1 : 0' \
        -format "%[fx:int(mean*w*h+0.5)]" info:
}

# Counts bright (near white) pixels in a rectangle.
count_white() {
    local image="$1" geometry="$2"
    convert "$image" -crop "$geometry" +repage -fx '(r>0.7 && g>0.7 && b>0.7) ? 1 : 0' \
        -format "%[fx:int(mean*w*h+0.5)]" info:
}
