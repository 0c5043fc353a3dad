# The real game played through xdotool: the score, help lines, mouse look gated by the intro, an
# end screen reached by flying into the water, and Escape. Every step waits for what it can see
# (a screenshot may take seconds on a busy machine, longer than the intro: the look test checks
# the intro's own frame).
source "$(dirname "$0")/lib.sh"

make_tree
start_game
find_window >/dev/null
shots="${GLIMMER_E2E_SHOTS:-$SCRATCH}"
mkdir -p "$shots"

# Mouse travel in small steps, as a hand makes it, so the pointer never meets the screen's edge.
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
score_seen() { (($(count_red "$1" 60x50+20+650) > 40)); }
score_gone() { ! score_seen "$1" && menu_seen "$1"; }
menu_seen() { (($(count_red "$1" 700x330+25+20) > 1500)); }
end_seen() { (($(count_red "$1" 400x60+540+315) > 150)); }

# Mouse travel sent as soon as the window is there is handled by the first frames, which are
# always intro frames: it must not turn the view. Once the intro's white lines under the top
# right are gone, the door stands where the start view has it, and the red score is shown.
move_mouse 300 0
until_seen after-intro door_seen "the view turned during the intro, or the intro never ended"
score_seen "$shots/after-intro.png" || fail "the red score is not on screen"
# After the intro the same travel turns the view: the door leaves its place.
move_mouse 300 0
until_seen turned door_gone "mouse look does not turn the view after the intro"
move_mouse -300 0
# M shows the help lines (red, top left); Q hides the score.
xdotool key m
until_seen menu menu_seen "the help lines do not appear after M"
xdotool key q
until_seen no-score score_gone "Q does not hide the score"

# Walk ahead until the front wall stops the player, then fly (left Alt) up along it and over it
# to the lid high above the walls, looking up 87 degrees: the lid holds the flight's rise, and its
# forward part (0.785 units a second of game time, whatever the frame times) carries the player
# over the pit's middle; anywhere from 15 to 25 s of it lies above the water tank. Then looking
# straight down, the flight goes down into the tank. The game ends; only its red line on black
# remains.
xdotool keydown w
sleep 4
xdotool key Alt_L
move_mouse 0 -1500
move_mouse 0 10
sleep 20
move_mouse 0 3000
until_seen end end_seen "no red end line at the centre"
xdotool keyup w
sleep 1
screenshot "$shots/end.png"
convert "$shots/end.png" -fill black -draw "rectangle 540,315 940,375" "$SCRATCH/rest.png"
others="$(count_lit "$SCRATCH/rest.png")"
((others < 50)) || fail "the end screen shows more than its line ($others lit pixels elsewhere)"

xdotool key Escape
wait_exit 60
[[ "$STATUS" == 0 ]] || fail "Escape on the end screen: status $STATUS, want 0"
! grep -q "ERROR" "$SCRATCH/stdout.txt" || fail "the game reported errors on a clean tree"
echo "PASS"
