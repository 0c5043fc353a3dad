# The real game played through xdotool: the score, mouse look gated by the intro, a walk, a
# flight into the water, the end screen alone, and Escape. Every step waits for what it can see (a
# screenshot may take seconds on a busy machine, longer than the intro: the look test checks the
# intro's own frame). The sound test hears the same on scripted runs.
source "$(dirname "$0")/lib.sh"

make_tree
start_game
find_window >/dev/null
shots="${GLIMMER_E2E_SHOTS:-$SCRATCH}"
mkdir -p "$shots"

# Mouse travel in small steps, as a hand makes it. The game reads the pointer's raw motion, so
# travel past the screen's edge still turns the view.
move_mouse() {
    for _ in $(seq 1 10); do
        xdotool mousemove_relative -- $(($1 / 10)) $(($2 / 10))
        sleep 0.02
    done
}
# Takes screenshots into $shots/$1.png until `$2 $shots/$1.png` succeeds; fails after two minutes
# with the message $3.
until_seen() {
    for _ in $(seq 1 240); do
        screenshot "$shots/$1.png"
        "$2" "$shots/$1.png" && return 0
        kill -0 "$GAME_PID" 2>/dev/null || fail "the game exited: $3"
        sleep 0.5
    done
    fail "$3"
}
# The loose brick door (orange) where the start view shows it, right of the statue.
door_pixels() { count_where "$1" 130x130+950+338 '(r>0.45 && g>0.2 && g<0.6 && b<0.35 && r>g+0.1)'; }
door_seen() { (($(door_pixels "$1") > 4000)) && (($(count_white "$1" 280x40+720+4) < 100)); }
door_gone() { (($(door_pixels "$1") < 1000)); }
# The end screen: the red line at the centre, and black above it (a brown crate in the water seen
# from above passes for red).
end_seen() { (($(count_red "$1" 400x60+540+315) > 150)) && (($(count_lit "$1" 1280x200+0+0) < 50)); }

# Mouse travel sent as soon as the window is there is handled by the first frames, which are
# always intro frames: it must not turn the view. Once the intro's white lines under the top
# right are gone, the door stands where the start view has it, and the red score is shown.
move_mouse 300 0
until_seen after-intro door_seen "the view turned during the intro, or the intro never ended"
(($(count_red "$shots/after-intro.png" 60x50+20+650) > 40)) || fail "the red score is not on screen"
# After the intro the same travel turns the view: the door leaves its place.
move_mouse 300 0
until_seen turned door_gone "mouse look does not turn the view after the intro"
move_mouse -300 0

# Walk ahead: 34 units to the front wall. Then fly (left Alt) up along it to the lid high above the walls,
# looking up 87 degrees: the lid holds the rise, and the flight's small forward part carries the
# player toward the water tank (at most 0.8 units a second). In short bursts of W, each followed
# by a look straight down while hovering, until the tank's water fills the middle of the view;
# then the flight goes straight down into it. The game ends; only its red line on black remains.
xdotool keydown w
sleep 5
xdotool keyup w
# The view's middle shows the night sky (dark blue), or the tank's water (blue over everything).
centre_where() { convert "$1" -crop 60x60+610+330 +repage -fx "$2" -format '%[fx:mean]' info:; }
looks_down() { holds "$(centre_where "$1" '0.3 * r + 0.6 * g + 0.1 * b < 0.25 && b > r + 0.03') < 0.5"; }
water_below() { holds "$(centre_where "$1" 'b > r + 0.1') > 0.95"; }
# Each look is one pointer move, read in one frame: a screenshot shows the old view or the new.
# The look up's two moves (to the top, then 2 degrees back down) go a moment apart, each read in a
# frame of its own.
look_up() { xdotool mousemove_relative -- 0 -3000; sleep 0.3; xdotool mousemove_relative -- 0 10; }
look_down() { xdotool mousemove_relative -- 0 3000; }
# The pointer's moves may turn the view a little sideways too, and over many bursts that leads the
# flight past the tank: where the water shows in the view down, the view turns towards it (screen
# up is ahead), so the next burst makes for it.
turn_to_water() {
    read -r share x y <<<"$(for weight in 1 i/w j/h; do convert "$1" -scale 320x180! \
        -fx "(b > r + 0.1 ? 1 : 0) * $weight" -format '%[fx:mean] ' info:; done)"
    holds "$share > 0.005" || return 0
    # The turn in pixels of mouse travel at 0.2 degrees each.
    xdotool mousemove_relative -- "$(awk -v s="$share" -v x="$x" -v y="$y" 'BEGIN {
        printf "%d", atan2((x / s - 0.5) * 1280, (0.5 - y / s) * 720) * 45 / atan2(1, 1) / 0.2 }')" 0
}
xdotool key Alt_L
for burst in $(seq 1 30); do
    look_up
    xdotool keydown w
    sleep 1.5
    xdotool keyup w
    look_down
    until_seen below looks_down "the view does not turn down"
    water_below "$shots/below.png" && break
    ((burst < 30)) || fail "the flight never came over the water tank"
    turn_to_water "$shots/below.png"
done
xdotool keydown w
until_seen end end_seen "no end screen (a red line at the centre on black)"
xdotool keyup w
convert "$shots/end.png" -fill black -draw "rectangle 540,315 940,375" "$SCRATCH/rest.png"
others="$(count_lit "$SCRATCH/rest.png")"
((others < 50)) || fail "the end screen shows more than its line ($others lit pixels elsewhere)"
xdotool key Escape
wait_exit 60
[[ "$STATUS" == 0 ]] || fail "Escape on the end screen: status $STATUS, want 0"
! grep -q -E "^(ERROR|Sound)" "$SCRATCH/stdout.txt" "$SCRATCH/stderr.txt" ||
    fail "the game reported errors on a clean tree"

echo "PASS"
