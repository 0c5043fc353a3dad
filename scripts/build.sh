#!/usr/bin/env bash
# Configures (once) and builds the game, tools, benchmarks and tests into build/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
if [[ ! -f build/CMakeCache.txt ]]; then
    cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo ${GLIMMER_CMAKE_ARGS:-}
fi
cmake --build build -j2
