# The settings' volume is the master volume of all the game's sound: the player jumping on the
# spot, heard through OpenAL Soft's wave writer at volume 1, 0.5 and 0, peaks about 6 dB lower at
# 0.5 and is silent at 0.
source "$(dirname "$0")/lib.sh"

rec="$SCRATCH/recording.wav"
printf '[general]\nchannels = mono\nsample-type = int16\ndither = false\n[wave]\nfile = %s\n' \
    "$rec" >"$SCRATCH/alsoft.conf"
export ALSOFT_CONF="$SCRATCH/alsoft.conf" ALSOFT_DRIVERS=wave
declare -A peak
for volume in 1 0.5 0; do
    make_tree
    sed -i "s/^volume=.*/volume=$volume/" "$SCRATCH/assets/settings.txt"
    start_game
    wid="$(find_window)"
    # Each jump lands before the next (a key sent before the first frame may be lost).
    for _ in $(seq 6); do xdotool key --window "$wid" space; sleep 1.2; done
    escape_until_gone "$wid"
    peak[$volume]="$(sox "$rec" -n stat 2>&1 | awk '/^Maximum amplitude/ { print $3 }')"
done
db="$(awk -v a="${peak[0.5]}" -v b="${peak[1]}" 'BEGIN { printf "%.2f", 20 * log(a / b) / log(10) }')"
echo "peaks: ${peak[1]} at volume 1, ${peak[0.5]} ($db dB) at 0.5, ${peak[0]} at 0"
holds "$db > -7 && $db < -5" || fail "volume 0.5 moves the peak by $db dB, not about -6"
holds "${peak[0]} == 0" || fail "volume 0 is not silent (peak ${peak[0]})"
echo "PASS"
