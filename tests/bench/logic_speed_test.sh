# The logic frame stays cheap: glimmerdeep-bench logic's median must stay under 0.25 ms.
set -euo pipefail
bench="$1"
cd "$(dirname "$bench")"
output="$("$bench" logic)"
echo "$output"
last="$(tail -1 <<<"$output")"
median="$(sed -n 's/^median_ms=\([0-9.]*\) p99_ms=.*/\1/p' <<<"$last")"
[[ -n "$median" ]] || { echo "FAIL: no median_ms in the last line: $last" >&2; exit 1; }
awk -v m="$median" 'BEGIN { exit !(m < 0.25) }' || { echo "FAIL: median $median ms >= 0.25 ms" >&2; exit 1; }
grep -q "state=2" <<<"$output" || { echo "FAIL: the scripted walk ended the game" >&2; exit 1; }
echo "PASS: median $median ms"
