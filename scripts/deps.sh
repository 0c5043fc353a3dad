#!/usr/bin/env bash
# Installs the Debian packages the game (and, with "test", its tests; with "package", its Debian
# package) needs. Calls apt-get only when something is missing, so a second run is quick.
set -euo pipefail

BUILD_PACKAGES=(
    build-essential cmake pkg-config
    libglfw3-dev libglew-dev libglm-dev libassimp-dev libstb-dev libfreetype-dev libbullet-dev
    # Sound: OpenAL Soft plays it, libsndfile reads the files.
    libopenal-dev libsndfile1-dev
    fonts-comfortaa
)
TEST_PACKAGES=(
    libgtest-dev xvfb xauth libgl1-mesa-dri mesa-utils xdotool imagemagick
    # The sound test measures OpenAL Soft's recording of the game with sox.
    sox
    # The heavy stage: clang with compiler-rt (libFuzzer, ASan and UBSan runtimes for clang);
    # g++'s own sanitizer runtimes come with build-essential.
    clang libclang-rt-dev
    # The package test checks the package it builds, its menu entry and its software centre
    # description.
    lintian desktop-file-utils appstream
)
# CPack's dependency scan (dpkg-shlibdeps comes with build-essential) needs file.
PACKAGE_PACKAGES=(file)

packages=("${BUILD_PACKAGES[@]}")
case "${1:-}" in
    test) packages+=("${TEST_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}") ;;
    package) packages+=("${PACKAGE_PACKAGES[@]}") ;;
esac

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if ((${#missing[@]} > 0)); then
    echo "Installing Debian packages: ${missing[*]}"
    SUDO=()
    if [[ $(id -u) -ne 0 ]]; then
        if command -v sudo >/dev/null; then
            SUDO=(sudo)
        else
            echo "error: need root or sudo to install: ${missing[*]}" >&2
            exit 1
        fi
    fi
    export DEBIAN_FRONTEND=noninteractive
    if ! "${SUDO[@]}" apt-get update -qq; then
        echo "error: apt-get update failed; cannot install: ${missing[*]}" >&2
        exit 1
    fi
    if ! "${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
        echo "error: could not install the Debian packages: ${missing[*]}" >&2
        exit 1
    fi
fi

# The HUD font: any TrueType file at this path serves; it is not kept in git.
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
font_source=/usr/share/fonts/truetype/comfortaa/Comfortaa-Regular.ttf
font_target="$root/assets/fonts/Itim-Regular.ttf"
if [[ ! -f "$font_target" ]] || ! cmp -s "$font_source" "$font_target"; then
    mkdir -p "$(dirname "$font_target")"
    cp "$font_source" "$font_target"
fi
