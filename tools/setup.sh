#!/usr/bin/env bash
# Shared set-up of ./play and ./test: installs the Debian packages that are missing, then
# configures (once) and builds into build/. Pass extra CMake options as arguments.
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
    build-essential cmake pkg-config zlib1g-dev
    libsdl2-dev libsdl2-image-dev libsdl2-mixer-dev
    libgtest-dev
    libcairo2-dev libfreetype-dev libsndfile1-dev libmp3lame0 fonts-dejavu-core fonts-dejavu-extra
    xvfb xauth xdotool imagemagick x11-utils
    clang libclang-rt-14-dev
)

missing=()
for package in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing missing packages: ${missing[*]}"
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1; then
            SUDO="sudo"
        else
            echo "error: these packages are missing and there is no sudo to install them: ${missing[*]}" >&2
            exit 1
        fi
    fi
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get update -q
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

BUILD_DIR=${BUILD_DIR:-build}
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ] || [ $# -gt 0 ]; then
    cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
fi
cmake --build "$BUILD_DIR" -j "$(nproc)"
