# The game as a player installs it: the Debian package made from this build passes lintian, and
# its launcher, unpacked anywhere, keeps each player's own settings and starts the game with them.
source "$(dirname "$0")/lib.sh"

echo "case: the package builds and lintian finds no error"
cpack -G DEB --config "$(dirname "$GAME")/CPackConfig.cmake" -B "$SCRATCH/out" \
    >"$SCRATCH/cpack.txt" || fail "cpack: $(tail -5 "$SCRATCH/cpack.txt")"
deb="$(echo "$SCRATCH"/out/glimmerdeep_*.deb)"
lintian --fail-on error "$deb" || fail "lintian reports errors"
unpacked="$SCRATCH/unpacked root"
dpkg-deb -x "$deb" "$unpacked"
installed="$unpacked/usr/share/games/glimmerdeep/assets"
sums() { (cd "$unpacked" && find . -type f -exec md5sum {} + | sort); }
before="$(sums)"
GAME="$unpacked/usr/games/glimmerdeep"
export HOME="$SCRATCH/home" XDG_DATA_HOME="$SCRATCH/data home"
fallback="$HOME/.local/share/glimmerdeep/assets"
mkdir -p "$SCRATCH/run" "$fallback"

echo "case: a relative XDG_DATA_HOME means ~/.local/share; links are made afresh"
ln -s "$SCRATCH/gone" "$fallback/old"
ln -s /nowhere "$fallback/shaders"
XDG_DATA_HOME=relative GAME_UNSET=DISPLAY start_game
wait_exit 30
[[ "$STATUS" == 1 ]] && grep -qx "ERROR: Failed to init glfw" "$SCRATCH/stdout.txt" ||
    fail "without a display: status $STATUS, want the game's own failure"
[[ ! -L "$fallback/old" ]] || fail "a stale link was kept"
for entry in "$installed"/*; do
    [[ "$entry" == */settings.txt || "$(readlink "$fallback/${entry##*/}")" == "$entry" ]] ||
        fail "${entry##*/} does not link to $entry"
done
[[ ! -L "$fallback/settings.txt" ]] && cmp -s "$installed/settings.txt" "$fallback/settings.txt" ||
    fail "no copy of the settings"

# The first start makes the player's settings; the width they change there reaches the window.
own="$XDG_DATA_HOME/glimmerdeep/assets/settings.txt"
for width in 1280 1000; do
    echo "case: a window ${width} wide that Escape closes"
    start_game
    wid="$(find_window)"
    [[ "$(xdotool getwindowgeometry "$wid")" == *" ${width}x720"* ]] || fail "not ${width}x720"
    escape_until_gone "$wid"
    [[ "$STATUS" == 0 ]] || fail "Escape: status $STATUS, want 0"
    [[ -f "$own" && ! -L "$own" ]] || fail "no settings at $own"
    sed -i 's/^width=.*/width=1000/' "$own"
done
[[ "$(sums)" == "$before" ]] || fail "an installed file changed"
echo "PASS"
