# The real game played through xdotool: intro and score, help lines, mouse look gated by the
# intro, an end screen reached by walking into the water, and Escape.
source "$(dirname "$0")/lib.sh"

make_tree
start_game
wid="$(find_window)"
shots="${GLIMMER_E2E_SHOTS:-$SCRATCH}"
mkdir -p "$shots"

# Mouse travel in small steps, as a hand makes it, so the pointer never meets the screen's edge.
move_mouse() {
    local dx="$1" dy="$2" steps=10
    for _ in $(seq 1 "$steps"); do
        xdotool mousemove_relative -- $((dx / steps)) $((dy / steps))
        sleep 0.02
    done
}

# The loose brick door (orange) where the start view shows it, right of the statue.
door_pixels() {
    convert "$1" -crop 130x130+950+338 +repage \
        -fx '(r>0.45 && g>0.2 && g<0.6 && b<0.35 && r>g+0.1) ? 1 : 0' \
        -format "%[fx:int(mean*w*h+0.5)]" info:
}

# Mouse travel sent as soon as the window is there is handled by the first frames, which are
# always intro frames (the intro needs three ticks and a frame counts at most one): it must not
# turn the view.
move_mouse 300 0

# Intro: the two white lines under the top right, and the red score at the bottom left. The
# intro lasts three seconds from the end of start-up, so look as soon as frames come.
wait_first_frame "$shots/intro.png"
intro_white=0
for _ in $(seq 1 10); do
    intro_white="$(count_white "$shots/intro.png" 280x40+720+4)"
    ((intro_white > 150)) && break
    screenshot "$shots/intro.png"
done
score_red="$(count_red "$shots/intro.png" 60x50+20+650)"
echo "intro: white=$intro_white score red=$score_red"
((intro_white > 150)) || fail "the intro lines are not on screen ($intro_white white pixels)"
((score_red > 40)) || fail "the red score is not on screen ($score_red red pixels)"

# Wait for the intro to end (three one-second ticks): its lines go away.
for _ in $(seq 1 40); do
    sleep 0.25
    screenshot "$shots/after-intro.png"
    after_white="$(count_white "$shots/after-intro.png" 280x40+720+4)"
    ((after_white < intro_white / 4)) && break
done
((after_white < intro_white / 4)) || fail "the intro lines stay after the intro ($after_white)"
sleep 1
screenshot "$shots/after-intro.png"
door_before="$(door_pixels "$shots/after-intro.png")"
echo "door pixels after the intro: $door_before"
((door_before > 4000)) || fail "the view turned during the intro: the brick door is not where the start view has it ($door_before)"

# After the intro the same travel turns the view: the door leaves its place.
move_mouse 300 0
sleep 1.5
screenshot "$shots/turned.png"
door_turned="$(door_pixels "$shots/turned.png")"
echo "door pixels after turning: $door_turned"
((door_turned < door_before / 4)) || fail "mouse look does not turn the view after the intro ($door_turned)"
# Turn back to face the pit.
move_mouse -300 0
sleep 1

# M shows the help lines (red, top left); Q hides the score.
xdotool key m
sleep 1.5
screenshot "$shots/menu.png"
menu_red="$(count_red "$shots/menu.png" 700x330+25+20)"
echo "menu red=$menu_red"
((menu_red > 1500)) || fail "the help lines do not appear after M ($menu_red red pixels)"
xdotool key m q
sleep 1.5
screenshot "$shots/no-score.png"
noscore_red="$(count_red "$shots/no-score.png" 60x50+20+650)"
((noscore_red < score_red / 4)) || fail "Q does not hide the score ($noscore_red)"

# Walk ahead until the front wall stops the player, then fly (left Alt) straight up along it and
# over it until the lid high above the walls stops the flight. Gravity back on while still
# walking: the fall from up there carries the player about 13 units on, into the water tank in
# the middle of the pit, wherever along the lid the flight had drifted in the meantime (landings
# stay in the tank for 3 to 20 s of flight), so slow frames do not change the outcome. The game
# ends; only its red line on black remains.
xdotool keydown w
sleep 4
xdotool key Alt_L
move_mouse 0 -1500
sleep 6
xdotool key Alt_L
end_red=0
for _ in $(seq 1 120); do
    sleep 0.5
    screenshot "$shots/end.png"
    end_red="$(count_red "$shots/end.png" 400x60+540+315)"
    ((end_red > 150)) && break
done
xdotool keyup w
echo "end screen: red=$end_red"
((end_red > 150)) || fail "no red end line at the centre within a minute ($end_red)"
sleep 1
screenshot "$shots/end.png"
others="$(convert "$shots/end.png" -fill black -draw "rectangle 540,315 940,375" -threshold 2% \
    -format "%[fx:int(mean*w*h+0.5)]" info:)"
echo "end screen: other lit=$others"
((others < 50)) || fail "the end screen shows more than its line ($others lit pixels elsewhere)"

xdotool key Escape
wait_exit 60
[[ "$STATUS" == 0 ]] || fail "Escape on the end screen: status $STATUS, want 0"
if grep -q "ERROR" "$SCRATCH/stdout.txt"; then
    fail "the game reported errors on a clean tree"
fi
echo "PASS"
