# The real game played through xdotool: intro and score, help lines, mouse look gated by the
# intro, an end screen reached by walking into the water, and Escape.
source "$(dirname "$0")/lib.sh"

make_tree
start_game
wid="$(find_window)"
shots="${GLIMMER_E2E_SHOTS:-$SCRATCH}"
mkdir -p "$shots"

# Intro: the two white lines under the top right, and the red score at the bottom left.
sleep 1.0
screenshot "$shots/intro.png"
intro_white="$(count_white "$shots/intro.png" 280x40+720+4)"
score_red="$(count_red "$shots/intro.png" 60x50+20+650)"
echo "intro: white=$intro_white score red=$score_red"
((intro_white > 150)) || fail "the intro lines are not on screen ($intro_white white pixels)"
((score_red > 40)) || fail "the red score is not on screen ($score_red red pixels)"

# The mouse does not turn the view during the intro.
xdotool mousemove_relative -- 300 0
sleep 1.2
screenshot "$shots/intro-moved.png"
intro_diff="$(compare -metric AE -fuzz 12% "$shots/intro.png" "$shots/intro-moved.png" null: 2>&1 || true)"
echo "intro mouse diff=$intro_diff"

# Wait for the intro to end (three one-second ticks).
sleep 3
screenshot "$shots/after-intro.png"
after_white="$(count_white "$shots/after-intro.png" 280x40+720+4)"
((after_white < intro_white / 4)) || fail "the intro lines stay after the intro ($after_white)"

xdotool mousemove_relative -- 300 0
sleep 1.5
screenshot "$shots/turned.png"
turn_diff="$(compare -metric AE -fuzz 12% "$shots/after-intro.png" "$shots/turned.png" null: 2>&1 || true)"
echo "after intro mouse diff=$turn_diff"
((turn_diff > 3 * intro_diff + 20000)) ||
    fail "mouse look: the turn after the intro ($turn_diff) is not clearly larger than during it ($intro_diff)"
# Turn back to face the pit.
xdotool mousemove_relative -- -300 0
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

# Walk straight ahead into the pit's water: the game ends, only its red line on black remains.
xdotool keydown w
for _ in $(seq 1 60); do
    sleep 0.5
    screenshot "$shots/walking.png"
    lit="$(convert "$shots/walking.png" -threshold 2% -format "%[fx:int(mean*w*h+0.5)]" info:)"
    ((lit < 20000)) && break
done
xdotool keyup w
sleep 1
screenshot "$shots/end.png"
end_red="$(count_red "$shots/end.png" 400x60+540+315)"
others="$(convert "$shots/end.png" -fill black -draw "rectangle 540,315 940,375" -threshold 2% \
    -format "%[fx:int(mean*w*h+0.5)]" info:)"
echo "end screen: red=$end_red other lit=$others"
((end_red > 150)) || fail "no red end line at the centre ($end_red)"
((others < 50)) || fail "the end screen shows more than its line ($others lit pixels elsewhere)"

xdotool key Escape
wait_exit 60
[[ "$STATUS" == 0 ]] || fail "Escape on the end screen: status $STATUS, want 0"
if grep -q "ERROR" "$SCRATCH/stdout.txt"; then
    fail "the game reported errors on a clean tree"
fi
echo "PASS"
