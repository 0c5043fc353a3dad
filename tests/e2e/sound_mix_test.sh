# The game's mix as OpenAL Soft's wave writer records it with its output limiter off, on two
# scripted runs of the real game (glimmerdeep-bench play --route): a walk with a jump and its
# landing, knocks of the loose wall, the platform's hum and the spikes' clank, then a death in
# the water or on the spikes (the run fails without it). Nothing comes within 1 dB of full scale,
# and the steps of the first walk (its first second, before the jump) are heard in the 1-4 kHz
# band that small speakers play.
source "$(dirname "$0")/lib.sh"

make_tree
# Small frames: the route runs in game time, however fast the machine draws.
sed -i 's/^width=.*/width=320/; s/^height=.*/height=180/' "$SCRATCH/assets/settings.txt"
printf '[general]\nchannels = mono\noutput-limiter = false\n[wave]\nfile = %s\n' \
    "$SCRATCH/mix.wav" >"$SCRATCH/alsoft.conf"
for route in water spikes; do
    (cd "$SCRATCH/run" && ALSOFT_CONF="$SCRATCH/alsoft.conf" ALSOFT_DRIVERS=wave \
        "$(dirname "$GAME")/glimmerdeep-bench" play --route "$route") >"$SCRATCH/stdout.txt" \
        2>"$SCRATCH/stderr.txt" || fail "$route: the run failed or did not end in a death"
    peak="$(sox "$SCRATCH/mix.wav" -n stats 2>&1 | awk '/Pk lev dB/ { print $4 }')"
    steps="$(sox "$SCRATCH/mix.wav" -n trim 0 1.15 sinc 1000-4000 stats 2>&1 |
        awk '/Pk lev dB/ { print $4 }')"
    echo "$route: peak $peak dBFS; steps at $steps dBFS (1-4 kHz) in the first walk"
    holds "$peak <= -1 && $steps > -30" ||
        fail "$route: the mix peaks above -1 dBFS, or the first walk's steps are under -30 dBFS"
done
