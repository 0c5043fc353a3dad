# Start-up and shutdown of the real game: missing settings, no 4.6 context, a window that Escape
# closes, and full screen at the display's size.
source "$(dirname "$0")/lib.sh"

echo "case: no settings file"
make_tree
rm "$SCRATCH/assets/settings.txt"
start_game
wait_exit 20
[[ "$STATUS" == 1 ]] || fail "missing settings: status $STATUS, want 1"
grep -qx "Unable to open file settings.txt" "$SCRATCH/stderr.txt" ||
    fail "missing settings: stderr lacks the message"
rm -rf "$SCRATCH/assets"

echo "case: a bad width stops with the key and value named"
make_tree
printf 'width=wide\nheight=720\n' >"$SCRATCH/assets/settings.txt"
start_game
wait_exit 20
[[ "$STATUS" == 1 ]] || fail "bad width: status $STATUS, want 1"
grep -q 'width: "wide"' "$SCRATCH/stderr.txt" || fail "bad width: message does not name it"
rm -rf "$SCRATCH/assets"

echo "case: no OpenGL 4.6 core context"
make_tree
(
    unset MESA_GL_VERSION_OVERRIDE MESA_GLSL_VERSION_OVERRIDE
    start_game
    wait_exit 20
    [[ "$STATUS" == 1 ]] || fail "no 4.6: status $STATUS, want 1 (promptly, without waiting)"
    grep -qx "ERROR: Window not created" "$SCRATCH/stdout.txt" ||
        fail "no 4.6: stdout lacks ERROR: Window not created"
)
rm -rf "$SCRATCH/assets"

echo "case: no display at all"
make_tree
(
    unset DISPLAY
    start_game
    wait_exit 20
    [[ "$STATUS" == 1 ]] || fail "no display: status $STATUS, want 1"
    grep -qx "ERROR: Failed to init glfw" "$SCRATCH/stdout.txt" ||
        fail "no display: stdout lacks ERROR: Failed to init glfw"
)
rm -rf "$SCRATCH/assets"

echo "case: a 1280x720 window that Escape closes"
make_tree
start_game
wid="$(find_window)"
read -r w h < <(xdotool getwindowgeometry "$wid" | awk '/Geometry/ {split($2, a, "x"); print a[1], a[2]}')
[[ "$w" == 1280 && "$h" == 720 ]] || fail "window is ${w}x${h}, want 1280x720"
sleep 2
xdotool key --window "$wid" Escape || xdotool key Escape
wait_exit 60
[[ "$STATUS" == 0 ]] || fail "Escape: status $STATUS, want 0"
rm -rf "$SCRATCH/assets"

echo "case: fullscreen takes the display's size"
make_tree
sed -i 's/fullscreen=false/fullscreen=true/' "$SCRATCH/assets/settings.txt"
# A second display of another size than the settings ask for.
display=""
for n in $(seq 90 120); do
    if [[ ! -e "/tmp/.X11-unix/X$n" && ! -e "/tmp/.X$n-lock" ]]; then
        display=":$n"
        break
    fi
done
[[ -n "$display" ]] || fail "no free X display number"
Xvfb "$display" -screen 0 1600x900x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; cleanup' EXIT
for _ in $(seq 1 50); do
    [[ -e "/tmp/.X11-unix/X${display#:}" ]] && break
    sleep 0.1
done
export DISPLAY="$display"
start_game
wid="$(find_window)"
geometry="$(xdotool getwindowgeometry "$wid" | awk '/Geometry/ {print $2}')"
[[ "$geometry" == 1600x900 ]] || fail "fullscreen window is $geometry, want 1600x900"
sleep 2
xdotool key Escape
wait_exit 60
[[ "$STATUS" == 0 ]] || fail "fullscreen Escape: status $STATUS"
echo "PASS"
