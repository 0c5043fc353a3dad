# The window the settings ask for, closed by Escape, and full screen at the display's size.
source "$(dirname "$0")/lib.sh"

# Starts the game, checks its window's size and closes it with Escape: status 0.
window_of_size() {
    start_game
    local wid geometry
    wid="$(find_window)"
    geometry="$(xdotool getwindowgeometry "$wid" | awk '/Geometry/ {print $2}')"
    [[ "$geometry" == "$1" ]] || fail "the window is $geometry, want $1"
    escape_until_gone "$wid"
    [[ "$STATUS" == 0 ]] || fail "Escape: status $STATUS, want 0"
}

# The play script as a newcomer starts it, on an existing build: without Mesa's version override
# it lifts the version the software renderer offers and says so in one line (the launcher's test
# shows that with the override, the driver then offering 4.6, nothing is said). Without a display
# it says how to see the game anyway.
play="$ROOT/scripts/play" GAME_ENV="GLIMMER_BUILD_DIR=$(dirname "$GAME")"
mkdir -p "$SCRATCH/run"
echo "case: from the play script, a 1280x720 window on the software renderer, with its one line"
GAME="$play" GAME_UNSET="MESA_GL_VERSION_OVERRIDE MESA_GLSL_VERSION_OVERRIDE" window_of_size 1280x720
[[ "$(grep -cx "glimmerdeep: .* in software, .* may be slow" "$SCRATCH/stdout.txt")" == 1 ]] ||
    fail "not one line about the software renderer"
echo "case: without a display the play script names the ways to see the game"
GAME="$play" GAME_UNSET=DISPLAY start_game
wait_exit 30
[[ "$STATUS" == 1 ]] && grep -q "no display.*xvfb-run -a -s .*-noreset.* scripts/play.*scripts/screenshot" \
    "$SCRATCH/stdout.txt" || fail "without a display: status $STATUS"

echo "case: full screen takes the size of a display of another size than the settings'"
make_tree
sed -i 's/fullscreen=false/fullscreen=true/' "$SCRATCH/assets/settings.txt"
display=":$(for n in $(seq 90 120); do [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] || { echo "$n"; break; }; done)"
[[ "$display" != ":" ]] || fail "no free X display number"
Xvfb "$display" -screen 0 1600x900x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; cleanup' EXIT
for _ in $(seq 1 50); do
    [[ -e "/tmp/.X11-unix/X${display#:}" ]] && break
    sleep 0.1
done
export DISPLAY="$display"
window_of_size 1600x900
echo "PASS"
