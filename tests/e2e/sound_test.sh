# The game's sound as OpenAL Soft mixes it, recorded by its wave writer: footsteps while walking,
# then a fall into the water with its splash and the game-over sting, then silence on the end
# screen. Every walk ends against a wall or a rim and every flight works over a wide range of
# lengths, so slow frames do not change the route.
source "$(dirname "$0")/lib.sh"

make_tree
rec="$SCRATCH/recording.wav"
rate=22050
printf '[general]\nchannels = mono\nsample-type = int16\nfrequency = %s\ndither = false\n[wave]\nfile = %s\n' \
    "$rate" "$rec" >"$SCRATCH/alsoft.conf"
export ALSOFT_CONF="$SCRATCH/alsoft.conf" ALSOFT_DRIVERS=wave
start_game
wid="$(find_window)"
wait_first_frame "$SCRATCH/shot.png"

# Bytes written so far: the writer keeps pace with the clock, so this marks the present moment.
mark() { stat -c %s "$rec"; }
# Mouse travel in 3-pixel steps (below any pointer acceleration); 450 pixels turn 90 degrees.
mouse() {
    local chain=()
    for _ in $(seq 1 "$3"); do chain+=(mousemove_relative -- "$1" "$2"); done
    xdotool "${chain[@]}" && sleep 0.5
}
# Holds W for $1 seconds: longer than the leg needs, since a wall or a rim ends it.
walk() { xdotool keydown w && sleep "$1" && xdotool keyup w; }

# The intro ends when its two white lines leave the top right.
for _ in $(seq 1 60); do
    screenshot "$SCRATCH/shot.png"
    (($(count_white "$SCRATCH/shot.png" 280x40+720+4) < 40)) && break
    sleep 0.5
done
walk_start="$(mark)"
# Straight ahead into the front wall, 34 units, then stand there: as near the spikes as ever.
walk 5
walk_end="$(mark)"
sleep 3
stood="$(mark)"
# Fly straight up beside the wall, looking up (the pitch stops at 89 degrees): W drifts the
# player over the wall at a quarter unit a second. Anything from 8 to 35 s of flight comes down
# between the wall and the water tank's rim, with gravity back on and W let go.
xdotool key Alt_L
for _ in 1 2 3 4 5 6; do mouse 0 -3 35; done
walk 14
xdotool key Alt_L
sleep 8
# On to the tank's rim, east along it to the arena's wall, south along that to a buttress, and
# west back to the rim. There the same flight takes the player up past the rim and drifts it
# west over the water (from 5 s on): with gravity back on it falls straight in.
walk 3 && mouse 3 0 150 && walk 3 && mouse -3 0 150 && walk 2 && mouse -3 0 150 && walk 2
xdotool key Alt_L
walk 10
xdotool key Alt_L
end_seen=""
for _ in $(seq 1 60); do
    screenshot "$SCRATCH/shot.png"
    (($(count_red "$SCRATCH/shot.png" 400x60+540+315) > 150)) && end_seen="$(mark)" && break
    sleep 0.5
done
[[ -n "$end_seen" ]] || fail "the player did not fall into the water"
sleep 4
last="$(mark)"
xdotool key Escape
wait_exit 60
[[ "$STATUS" == 0 ]] || fail "Escape on the end screen: status $STATUS, want 0"
if grep -q "^Sound" "$SCRATCH/stderr.txt"; then fail "sound did not start cleanly"; fi

# The recording's level in 50 ms windows ("second rms" lines), after the sox effects given.
calc() { awk "BEGIN { printf \"%.4f\", $* }"; }
header=$(($(stat -c %s "$rec") - 2 * $(soxi -s "$rec")))
at() { calc "($1 - $header) / (2 * $rate)"; }
levels() {
    sox -V1 "$rec" -t dat - "$@" | awk -v w=$((rate / 20)) -v rate=$rate '/^;/ { next } { s += $2 * $2 }
        ++n == w { printf "%.3f %.6f\n", t, sqrt(s / n); t += n / rate; n = s = 0 }'
}
levels >"$SCRATCH/all.txt"
levels highpass 500 >"$SCRATCH/mid.txt"
levels highpass 3000 >"$SCRATCH/high.txt"
levels lowpass 600 >"$SCRATCH/low.txt"
[[ -z "${GLIMMER_E2E_SHOTS:-}" ]] || cp "$rec" "$SCRATCH"/*.txt "$GLIMMER_E2E_SHOTS"/
# Over the windows of level file $1 from $2 to $3 seconds: their root mean square or, given $4,
# how often the level rises above $4.
measure() {
    awk -v a="$2" -v b="$3" -v x="${4:-}" '$1 >= a && $1 < b {
            s += $2 * $2; n++; if (x != "" && $2 > x && !on) k++; on = $2 > x }
        END { if (x != "") print k + 0; else printf "%.5f", n ? sqrt(s / n) : 0 }' "$SCRATCH/$1.txt"
}
above() { awk -v x="$1" -v y="$2" 'BEGIN { exit !(x > y) }'; }

walk_s="$(at "$walk_start")" walked_s="$(at "$walk_end")" stood_s="$(at "$stood")"
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
above "$end_start" "$(calc "$end_s - 3")" && above "$end_s" "$end_start" ||
    fail "the last sounds ($end_start s) do not start as the game ends ($end_s s)"
above "$splash" 0.02 || fail "no splash as the player falls into the water ($splash)"
above "$sting_low" 0.05 || fail "no sting after the splash ($sting_low)"
above "$(calc "$last_s - $quiet_from")" 2 || fail "the end screen is not silent"
echo "PASS"
