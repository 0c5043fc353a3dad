# The real game played through xdotool, heard through OpenAL Soft's wave writer: the score,
# mouse look gated by the intro, footsteps, a flight into the water with its splash and the
# game-over sting, then silence on the end screen, and Escape. Every step waits for what it can
# see (a screenshot may take seconds on a busy machine, longer than the intro: the look test
# checks the intro's own frame).
source "$(dirname "$0")/lib.sh"

make_tree
rec="$SCRATCH/recording.wav"
rate=22050
printf '[general]\nchannels = mono\nsample-type = int16\nfrequency = %s\ndither = false\n[wave]\nfile = %s\n' \
    "$rate" "$rec" >"$SCRATCH/alsoft.conf"
export ALSOFT_CONF="$SCRATCH/alsoft.conf" ALSOFT_DRIVERS=wave
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
end_seen() { (($(count_red "$1" 400x60+540+315) > 150)); }
# The recording's length so far: the wave writer keeps pace with the clock, so this marks now.
mark() { stat -c %s "$rec"; }

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

# Walk ahead: 34 units to the front wall (footsteps), then stand there (as near the spikes as
# ever, for the loudest clank). Then fly (left Alt) up along it to the lid high above the walls,
# looking up 87 degrees: the lid holds the rise, and the flight's small forward part carries the
# player toward the water tank (at most 0.8 units a second). In short bursts of W, each followed
# by a look straight down while hovering, until the tank's water fills the middle of the view;
# then the flight goes straight down into it. The game ends; only its red line on black remains,
# and its sounds end.
walk_start="$(mark)"
xdotool keydown w
sleep 5
xdotool keyup w
walked="$(mark)"
sleep 3
stood="$(mark)"
# The view's middle shows the night sky (dark blue), or the tank's water (blue over everything).
centre_where() { convert "$1" -crop 60x60+610+330 +repage -fx "$2" -format '%[fx:mean]' info:; }
looks_down() { holds "$(centre_where "$1" '0.3 * r + 0.6 * g + 0.1 * b < 0.25 && b > r + 0.03') < 0.5"; }
water_below() { holds "$(centre_where "$1" 'b > r + 0.1') > 0.95"; }
# Each look is one pointer move, read in one frame: a screenshot shows the old view or the new.
look_up() { xdotool mousemove_relative -- 0 -3000 mousemove_relative -- 0 10; }
look_down() { xdotool mousemove_relative -- 0 3000; }
xdotool key Alt_L
for burst in $(seq 1 100); do
    look_up
    xdotool keydown w
    sleep 1.5
    xdotool keyup w
    look_down
    until_seen below looks_down "the view does not turn down"
    water_below "$shots/below.png" && break
    ((burst < 100)) || fail "the flight never came over the water tank"
done
xdotool keydown w
until_seen end end_seen "no red end line at the centre"
end_seen="$(mark)"
xdotool keyup w
sleep 4
last="$(mark)"
convert "$shots/end.png" -fill black -draw "rectangle 540,315 940,375" "$SCRATCH/rest.png"
others="$(count_lit "$SCRATCH/rest.png")"
((others < 50)) || fail "the end screen shows more than its line ($others lit pixels elsewhere)"
xdotool key Escape
wait_exit 60
[[ "$STATUS" == 0 ]] || fail "Escape on the end screen: status $STATUS, want 0"
! grep -q -E "^(ERROR|Sound)" "$SCRATCH/stdout.txt" "$SCRATCH/stderr.txt" ||
    fail "the game reported errors on a clean tree"

# The recording's level in 50 ms windows ("second rms" lines), after the sox effects given.
calc() { awk "BEGIN { printf \"%.4f\", $* }"; }
header=$(($(stat -c %s "$rec") - 2 * $(soxi -s "$rec")))
at() { calc "($1 - $header) / (2 * $rate)"; }
levels() {
    sox -V1 "$rec" -t dat - "$@" | awk -v w=$((rate / 20)) -v rate=$rate '/^;/ { next } { s += $2 * $2 }
        ++n == w { printf "%.3f %.6f\n", t, sqrt(s / n); t += n / rate; n = s = 0 }'
}
while read -r name effect; do levels $effect >"$SCRATCH/$name.txt"; done \
    <<<$'all\nmid highpass 500\nhigh highpass 3000\nlow lowpass 600'
[[ -z "${GLIMMER_E2E_SHOTS:-}" ]] || cp "$rec" "$SCRATCH"/*.txt "$shots"/
# Over the windows of level file $1 from $2 to $3 seconds: their root mean square or, given $4,
# how often the level rises above $4.
measure() {
    awk -v a="$2" -v b="$3" -v x="${4:-}" '$1 >= a && $1 < b {
            s += $2 * $2; n++; if (x != "" && $2 > x && !on) k++; on = $2 > x }
        END { if (x != "") print k + 0; else printf "%.5f", n ? sqrt(s / n) : 0 }' "$SCRATCH/$1.txt"
}
walk_s="$(at "$walk_start")" walked_s="$(at "$walked")" stood_s="$(at "$stood")"
end_s="$(at "$end_seen")" last_s="$(at "$last")"
quiet_from="$(awk '$2 > 0.0005 { t = $1 } END { print t + 0.05 }' "$SCRATCH/all.txt")"
# The sting is the longest of the end's sounds, which all began its length before the silence.
end_start="$(calc "$quiet_from - $(soxi -D "$ROOT/assets/sounds/sting.wav")")"
# Above 500 Hz the hum is faint, and a step at the player's feet is twice as loud as anything
# heard standing at the wall (the spikes' clank at its nearest).
still="$(awk -v a="$(calc "$walked_s + 1")" -v b="$stood_s" '$1 >= a && $1 < b && $2 > m { m = $2 }
    END { print m + 0 }' "$SCRATCH/mid.txt")"
steps="$(measure mid "$walk_s" "$walked_s" "$(calc "2 * $still")")"
splash="$(measure high "$end_start" "$(calc "$end_start + 0.4")")"
sting_low="$(measure low "$(calc "$end_start + 1.0")" "$(calc "$end_start + 1.5")")"
echo "steps: $steps above twice $still; end at $end_s s, sounds from $end_start s: splash" \
    "$splash (> 3 kHz), sting $sting_low (< 600 Hz); silent from $quiet_from s to $last_s s"
((steps >= 2)) || fail "no footsteps while walking ($steps above twice $still)"
holds "$end_start > $end_s - 3 && $end_s > $end_start" ||
    fail "the last sounds ($end_start s) do not start as the game ends ($end_s s)"
holds "$splash > 0.02" || fail "no splash as the player falls into the water ($splash)"
holds "$sting_low > 0.05" || fail "no sting after the splash ($sting_low)"
holds "$last_s - $quiet_from > 2" || fail "the end screen is not silent"
echo "PASS"
