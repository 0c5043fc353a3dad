# The game as a player installs it: the Debian package made from this build passes lintian, and
# its launcher, unpacked anywhere, keeps each player's own settings and starts the game with them.
source "$(dirname "$0")/lib.sh"

echo "case: the package builds; lintian and the menu entry's and AppStream checkers pass it"
cpack -G DEB --config "$(dirname "$GAME")/CPackConfig.cmake" -B "$SCRATCH/out" \
    >"$SCRATCH/cpack.txt" || fail "cpack: $(tail -5 "$SCRATCH/cpack.txt")"
deb="$(echo "$SCRATCH"/out/glimmerdeep_*.deb)"
lintian --fail-on error "$deb" || fail "lintian reports errors"
unpacked="$SCRATCH/unpacked root"
dpkg-deb -x "$deb" "$unpacked"
# No network here: the description's web addresses are not fetched.
desktop-file-validate "$unpacked"/usr/share/applications/*.desktop &&
    appstreamcli validate --no-net "$unpacked"/usr/share/metainfo/*.xml || fail "menu entry, metainfo"
installed="$unpacked/usr/share/games/glimmerdeep/assets"
# Every path with its kind and link target, and every file's sum.
sums() { (cd "$unpacked" && find . -printf '%p %y %l\n' | sort && find . -type f -exec md5sum {} +); }
before="$(sums)"
GAME="$unpacked/usr/games/glimmerdeep"
export HOME="$SCRATCH/home" XDG_DATA_HOME="$SCRATCH/data home" PATH="$SCRATCH/bin:$PATH"
fallback="$HOME/.local/share/glimmerdeep/assets"
log="$XDG_DATA_HOME/glimmerdeep/last-run.txt"
mkdir -p "$SCRATCH/run" "$fallback" "$SCRATCH/bin"
# The desktop notification, as the player would see it, goes to a file.
printf '#!/bin/sh\necho "$*" >"%s"\n' "$SCRATCH/notified.txt" >"$SCRATCH/bin/notify-send"
chmod +x "$SCRATCH/bin/notify-send"

# Started from the menu (no terminal), the launcher keeps the run's output in the player's folder
# and shows the reason of a failed start (here: no display) in a notification.
echo "case: a relative XDG_DATA_HOME means ~/.local/share; links are made afresh; no display"
ln -s "$SCRATCH/gone" "$fallback/old"
ln -s /nowhere "$fallback/shaders"
XDG_DATA_HOME=relative GAME_UNSET=DISPLAY start_game
wait_exit 30
[[ "$STATUS" == 1 && "$(cat "$SCRATCH/notified.txt")" == *"status 1"*"no display here"*xvfb-run*-noreset* ]] ||
    fail "without a display: status $STATUS, notified: $(cat "$SCRATCH/notified.txt")"
[[ ! -L "$fallback/old" ]] || fail "a stale link was kept"
for entry in "$installed"/*; do
    [[ "$entry" == */settings.txt || "$(readlink "$fallback/${entry##*/}")" == "$entry" ]] ||
        fail "${entry##*/} does not link to $entry"
done
[[ ! -L "$fallback/settings.txt" ]] && cmp -s "$installed/settings.txt" "$fallback/settings.txt" ||
    fail "no copy of the settings"

# The first start makes the player's settings; the width they change there reaches the window.
# Without Mesa's version override the launcher sets it, saying so in its one line; where the
# driver already offers 4.6 (the override given) it says nothing.
own="$XDG_DATA_HOME/glimmerdeep/assets/settings.txt"
software="^glimmerdeep: .* offers OpenGL 4\.[0-5], not the 4\.6 .* in software, .* may be slow$"
for width in 1280 1000; do
    echo "case: a window ${width} wide that Escape closes"
    GAME_UNSET="$( ((width == 1000)) || echo MESA_GL_VERSION_OVERRIDE MESA_GLSL_VERSION_OVERRIDE)"
    start_game
    wid="$(find_window)"
    [[ "$(xdotool getwindowgeometry "$wid")" == *" ${width}x720"* ]] || fail "not ${width}x720"
    escape_until_gone "$wid"
    [[ "$STATUS" == 0 ]] || fail "Escape: status $STATUS, want 0"
    [[ "$(grep -c "$software" "$log")" == "$((width == 1280))" ]] || fail "software line: $(cat "$log")"
    [[ -f "$own" && ! -L "$own" ]] || fail "no settings at $own"
    sed -i 's/^width=.*/width=1000/' "$own"
done

# Started together, two launchers both start the game (here a stand-in that checks what the game
# reads, a few times over), and neither writes into the installed tree.
echo "case: 20 pairs of simultaneous starts"
real="$unpacked/usr/libexec/glimmerdeep/glimmerdeep"
mv "$real" "$real.real" && printf '#!/bin/sh\nfor i in 1 2 3; do for e in "%s"/*; do
    [ -e "../assets/${e##*/}" ] || exit 7; done; done\n' "$installed" >"$real" && chmod +x "$real"
for pair in $(seq 20); do
    ((pair % 2)) && rm -rf "$(dirname "$own")"
    start_game
    "$GAME" >/dev/null 2>&1 && wait_exit 30 && [[ "$STATUS" == 0 ]] || fail "pair $pair: a start failed"
done
mv "$real.real" "$real"
[[ "$(sums)" == "$before" ]] || fail "the installed tree changed: $(diff <(echo "$before") <(sums))"
echo "PASS"
