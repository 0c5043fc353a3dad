# The game's mix as OpenAL Soft's wave writer records it with its output limiter off, on scripted
# runs of the real game (glimmerdeep-bench play --route): a walk with a jump and its landing,
# knocks of the loose wall, the platform's hum and the spikes' clank, then a death in the water or
# on the spikes (the run fails without it). Nothing comes within 1 dB of full scale, and the steps
# of the first walk (its first second, before the jump) are heard in the 1-4 kHz band that small
# speakers play. The death's sounds (the splash or the spikes' hit, and the sting) ring out on the
# end screen, and then all is silent. The settings' volume is the master volume: at 0.5 the water
# run peaks about 6 dB lower, at 0 it is silent.
source "$(dirname "$0")/lib.sh"

make_tree
# Small frames: the route runs in game time, however fast the machine draws.
sed -i 's/^width=.*/width=320/; s/^height=.*/height=180/' "$SCRATCH/assets/settings.txt"
printf '[general]\nchannels = mono\noutput-limiter = false\n[wave]\nfile = %s\n' \
    "$SCRATCH/mix.wav" >"$SCRATCH/alsoft.conf"
declare -A peak
for run in "water 1" "spikes 1" "water 0.5" "water 0"; do
    read -r route volume <<<"$run"
    sed -i "s/^volume=.*/volume=$volume/" "$SCRATCH/assets/settings.txt"
    (cd "$SCRATCH/run" && ALSOFT_CONF="$SCRATCH/alsoft.conf" ALSOFT_DRIVERS=wave \
        "$(dirname "$GAME")/glimmerdeep-bench" play --route "$route") >"$SCRATCH/stdout.txt" \
        2>"$SCRATCH/stderr.txt" || fail "$route: the run failed or did not end in a death"
    peak[$run]="$(sox "$SCRATCH/mix.wav" -n stats 2>&1 | awk '/Pk lev dB/ { print $4 }')"
    steps="$(sox "$SCRATCH/mix.wav" -n trim 0 1.15 sinc 1000-4000 stats 2>&1 |
        awk '/Pk lev dB/ { print $4 }')"
    # The route runs on for 4 s after the death: its sounds first, then a second of silence.
    end="$(sox "$SCRATCH/mix.wav" -n trim -5.5 1.5 stats 2>&1 | awk '/Pk lev dB/ { print $4 }')"
    after="$(sox "$SCRATCH/mix.wav" -n trim -1 stats 2>&1 | awk '/Pk lev dB/ { print $4 }')"
    echo "$route at volume $volume: peak ${peak[$run]} dBFS; first walk's steps at $steps dBFS;" \
        "the end's sounds at $end dBFS, then $after dBFS"
    [[ "$volume" != 1 ]] || holds "${peak[$run]} <= -1 && $steps > -30 && $end > -20" ||
        fail "$route: the mix peaks above -1 dBFS, or a walk or a death is not heard"
    [[ "$after" == -inf ]] || fail "$route: the end screen is not silent ($after dBFS)"
done
holds "${peak[water 0.5]} - ${peak[water 1]} > -7 && ${peak[water 0.5]} - ${peak[water 1]} < -5" ||
    fail "volume 0.5 moves the peak from ${peak[water 1]} to ${peak[water 0.5]} dBFS"
[[ "${peak[water 0]}" == -inf ]] || fail "volume 0 is not silent (peak ${peak[water 0]} dBFS)"
echo "PASS"
