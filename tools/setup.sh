#!/usr/bin/env bash
# Shared set-up of ./play, ./test, ./package, ./bench, ./web, ./soak and ./fuzz: installs the
# Debian packages that the purpose needs and that are missing, configures its build folder (again
# only when an option changed), and builds that purpose's targets.
#   tools/setup.sh play|test|package|bench|web|web-bench|windows|windows-bench|soak|fuzz
#                  [CMAKE_OPTION...]
# BUILD_DIR chooses another build folder; CMAKE_OPTIONs (-DNAME=VALUE) add to the purpose's own.
set -euo pipefail
cd "$(dirname "$0")/.."

# What each purpose needs, one list each; every purpose builds the game's libraries, so it
# needs the PLAY list too. The generator of pictures and sounds draws with cairo and FreeType
# in DejaVu (core and extra), and writes the tunes through libsndfile, which encodes MP3 with
# LAME. zlib packs the recorded games. The game decodes its tunes with libmpg123 (SDL_mixer's
# own MP3 decoder) and asks the X server what it offers through Xlib.
PLAY_PACKAGES=(
    g++ make cmake pkg-config
    libsdl2-dev libsdl2-image-dev libsdl2-mixer-dev zlib1g-dev libmpg123-dev libx11-dev
    libcairo2-dev libfreetype-dev libsndfile1-dev libmp3lame0 fonts-dejavu-core fonts-dejavu-extra
)
# What CPack needs to make the Debian package (dpkg-shlibdeps and file find its dependencies).
PACKAGE_PACKAGES=(dpkg-dev file)
# The benchmark starts its own virtual displays, presses keys with xdotool and XTest and counts
# the game's presents through the X Damage extension.
BENCH_PACKAGES=(xvfb xdotool libxdamage-dev libxtst-dev)
# The browser build: Emscripten (which brings Node.js, also the page's local server), and
# dpkg-dev, to unpack Debian's sources of SDL2, SDL2_image, SDL2_mixer and zlib for it.
WEB_PACKAGES=(emscripten nodejs dpkg-dev)
# ./web --bench measures the page in Debian's Chromium, driven with puppeteer-core, which npm
# installs from tools/web/package-lock.json.
WEB_BENCH_PACKAGES=(chromium npm "${WEB_PACKAGES[@]}")
# The browser journeys play the page in Debian's Chromium and Firefox the same way.
BROWSER_TEST_PACKAGES=(firefox-esr "${WEB_BENCH_PACKAGES[@]}")
# The Windows build (./package windows): the MinGW-w64 cross compilers (the posix flavour, which
# has std::thread), NSIS for the installer, dpkg-dev to unpack Debian's sources of the libraries
# for it, and Wine (64-bit) to run the game and its installer in the Windows journey and the
# benchmark.
WINDOWS_PACKAGES=(g++-mingw-w64-x86-64-posix nsis dpkg-dev wine wine64)
# GoogleTest; Xlib's headers, Xvfb and xdotool for the end-to-end journeys, with the keyboard
# layouts for the one typed under French; the checkers of the desktop entry, the AppStream
# file and the Debian package, which a test builds. ./test builds every target, the benchmark
# and the browser's page included, so its list holds what each of them needs.
TEST_PACKAGES=(libgtest-dev libx11-dev x11-xkb-utils xkb-data
    desktop-file-utils appstream lintian "${PACKAGE_PACKAGES[@]}" "${BENCH_PACKAGES[@]}"
    "${BROWSER_TEST_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}")
SOAK_PACKAGES=()
FUZZ_PACKAGES=(clang libclang-rt-dev)

purpose=${1:-}
[ $# -gt 0 ] && shift
case "$purpose" in
    play)
        packages=("${PLAY_PACKAGES[@]}")
        targets=(zantorvix zantorvix_assets)
        options=()
        ;;
    test)
        packages=("${PLAY_PACKAGES[@]}" "${TEST_PACKAGES[@]}")
        targets=(all)  # the tests, and every tool, so that none stops compiling unseen
        # Every optional part insists on its packages: one missing from the list fails here.
        options=(-DZANTORVIX_TESTS=ON -DZANTORVIX_BENCH=ON -DZANTORVIX_BROWSER_TESTS=ON
            -DZANTORVIX_WINDOWS_TESTS=ON)
        ;;
    package)
        packages=("${PLAY_PACKAGES[@]}" "${PACKAGE_PACKAGES[@]}")
        targets=(zantorvix zantorvix_assets zantorvix_desktop_files)
        options=()
        ;;
    bench)
        packages=("${PLAY_PACKAGES[@]}" "${BENCH_PACKAGES[@]}")
        targets=(zantorvix zantorvix_assets zantorvix_bench)
        options=(-DZANTORVIX_BENCH=ON)
        ;;
    web)
        # The game's pictures and sounds, made by the desktop's generator; ./web goes on from here.
        packages=("${PLAY_PACKAGES[@]}" "${WEB_PACKAGES[@]}")
        targets=(zantorvix_assets)
        options=()
        ;;
    web-bench)
        # ./web --bench: the desktop benchmark for its column, and Chromium for the page's.
        packages=("${PLAY_PACKAGES[@]}" "${BENCH_PACKAGES[@]}" "${WEB_BENCH_PACKAGES[@]}")
        targets=(zantorvix zantorvix_assets zantorvix_bench)
        options=(-DZANTORVIX_BENCH=ON)
        ;;
    windows)
        # The pictures, sounds and icons, made by the desktop's generator; ./package windows
        # goes on from here.
        packages=("${PLAY_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}")
        targets=(zantorvix_assets)
        options=()
        ;;
    windows-bench)
        # ./bench windows: the desktop benchmark for its column, and the game under Wine.
        packages=("${PLAY_PACKAGES[@]}" "${BENCH_PACKAGES[@]}" "${WINDOWS_PACKAGES[@]}")
        targets=(zantorvix zantorvix_assets zantorvix_bench)
        options=(-DZANTORVIX_BENCH=ON)
        ;;
    soak)
        packages=("${PLAY_PACKAGES[@]}" "${SOAK_PACKAGES[@]}")
        targets=(zantorvix_soak)
        options=(-DZANTORVIX_SANITIZE=ON -DZANTORVIX_TESTS=OFF)
        : "${BUILD_DIR:=build-soak}"
        ;;
    fuzz)
        packages=("${PLAY_PACKAGES[@]}" "${FUZZ_PACKAGES[@]}")
        targets=(fuzz_options fuzz_scores fuzz_controls fuzz_dds fuzz_replay)
        options=(-DZANTORVIX_FUZZ=ON -DZANTORVIX_TESTS=OFF)
        : "${BUILD_DIR:=build-fuzz}"
        export CXX=clang++  # read by the first configure only, which is the fuzz folder's own
        ;;
    *)
        echo "usage: tools/setup.sh play|test|package|bench|web|web-bench|windows|windows-bench|soak|fuzz [CMAKE_OPTION...]" >&2
        exit 2
        ;;
esac
options+=("$@")
BUILD_DIR=${BUILD_DIR:-build}

# One dpkg-query for every installed package and what it provides: a name that an installed
# package provides counts as installed (Node.js from another source brings its own npm, which
# Debian's npm would conflict with).
installed=$(dpkg-query -W -f='${db:Status-Abbrev}|${Package}|${Provides}\n' 2>/dev/null |
    awk -F'|' '$1 ~ /^ii/ {
        print $2
        count = split($3, provided, ",")
        for (i = 1; i <= count; ++i) { name = provided[i]; sub(/^ +/, "", name); sub(/ .*/, "", name); print name }
    }' || true)
missing=()
for package in "${packages[@]}"; do
    if ! grep -qxF "$package" <<<"$installed" && [[ " ${missing[*]} " != *" $package "* ]]; then
        missing+=("$package")
    fi
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing missing packages: ${missing[*]}"
    SUDO=()
    if [ "$(id -u)" -ne 0 ]; then
        if command -v sudo >/dev/null 2>&1; then
            SUDO=(sudo)
        else
            echo "error: these packages are missing and there is no sudo to install them: ${missing[*]}" >&2
            exit 1
        fi
    fi
    "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q \
        -o DPkg::Lock::Timeout=600
    "${SUDO[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends \
        -o DPkg::Lock::Timeout=600 \
        "${missing[@]}"
fi

# Configure when the folder was never configured (or its configure did not finish), or when an
# option asked for differs from the one the folder was configured with.
configure=false
cache="$BUILD_DIR/CMakeCache.txt"
if [ ! -f "$cache" ] || { [ ! -f "$BUILD_DIR/Makefile" ] && [ ! -f "$BUILD_DIR/build.ninja" ]; }; then
    configure=true
else
    for option in "${options[@]}"; do
        if [[ "$option" =~ ^-D([^:=]+)(:[^=]*)?=(.*)$ ]]; then
            # The cache holds NAME:TYPE=VALUE; an option it lacks or holds otherwise reconfigures.
            if ! awk -v name="${BASH_REMATCH[1]}" -v value="${BASH_REMATCH[3]}" '
                    { entry = $0; sub(/=.*/, "", entry); sub(/:.*/, "", entry) }
                    entry == name { sub(/^[^=]*=/, ""); found = $0 == value; exit }
                    END { exit !found }' "$cache"; then
                configure=true
            fi
        else
            configure=true  # an option of another kind: CMake judges it
        fi
    done
fi
if $configure; then
    cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo "${options[@]}"
fi
cmake --build "$BUILD_DIR" -j "$(nproc)" --target "${targets[@]}"
