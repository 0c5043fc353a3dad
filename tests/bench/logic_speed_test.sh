# The logic frame stays cheap: glimmerdeep-bench logic's median must stay under 0.25 ms.
set -euo pipefail
cd "$(dirname "$1")"
output="$("$1" logic)"
echo "$output"
median="$(tail -1 <<<"$output" | sed -n 's/^median_ms=\([0-9.]*\) p99_ms=.*/\1/p')"
[[ -n "$median" ]] || { echo "FAIL: no median_ms in the last line" >&2; exit 1; }
awk -v m="$median" 'BEGIN { exit !(m < 0.25) }' || { echo "FAIL: median $median ms >= 0.25 ms" >&2; exit 1; }
grep -q "state=2" <<<"$output" || { echo "FAIL: the scripted walk ended the game" >&2; exit 1; }
echo "PASS: median $median ms"
