#!/usr/bin/env bash
# Builds SDL2, SDL2_image, SDL2_mixer and zlib for WebAssembly from this machine's own Debian
# sources, once, into a cache outside the repository, and prints the folder that holds them
# (include/ and lib/). The sources come through a private apt configuration made from this
# machine's package sources (their deb-src twins), which leaves the system's own untouched.
#   tools/web/libraries.sh
# The cache is ZANTORVIX_WEB_CACHE, or zantorvix/ in XDG_CACHE_HOME (~/.cache): a build is kept
# under a key made of Emscripten's version, the source versions and this script, and reused.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
cache=${ZANTORVIX_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zantorvix}/wasm
mkdir -p "$cache"
exec 9>"$cache/.lock"
flock 9  # one build at a time; a second ./web waits and then finds it made
# Emscripten's own scripts look for their Node.js modules where Debian puts them, also under a
# Node.js from elsewhere.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

log() { echo "web libraries: $*" >&2; }

# --- The private apt configuration: the deb-src twins of this machine's sources -------------
apt_dir=$cache/apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts"
apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' 'Identifier: Packages' |
    sort -u | sed 's/^/deb-src /' >"$apt_dir/sources.list.new"
if [ ! -s "$apt_dir/sources.list.new" ]; then
    echo "web libraries: this machine's package sources list no Debian archive" >&2
    exit 1
fi
settings=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/parts"
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache"
    -o APT::Sandbox::User=root -o Debug::NoLocking=true)
APT=(apt-get -q "${settings[@]}")
if ! cmp -s "$apt_dir/sources.list.new" "$apt_dir/sources.list" ||
    [ -z "$(find "$apt_dir/lists" -maxdepth 1 -name '*Sources*' -mtime -1 2>/dev/null)" ]; then
    mv "$apt_dir/sources.list.new" "$apt_dir/sources.list"
    log "reading the source index"
    "${APT[@]}" update >"$apt_dir/update.log" 2>&1 || {
        tail -5 "$apt_dir/update.log" >&2
        exit 1
    }
else
    rm -f "$apt_dir/sources.list.new"
fi

packages=(libsdl2 libsdl2-image libsdl2-mixer zlib)
suites=$(awk '{ print $3 }' "$apt_dir/sources.list" | sort -u)
# The version apt would take, then the release's own as a second choice (a mirror may lack
# the newest update's sources).
versions=()
for package in "${packages[@]}"; do
    version=$(apt-cache "${settings[@]}" showsrc --only-source "$package" 2>/dev/null |
        sed -n 's/^Version: //p' | sort -V | tail -1)
    if [ -z "$version" ]; then
        echo "web libraries: no Debian source of $package is to be had" >&2
        exit 1
    fi
    versions+=("$package=$version")
done

emscripten=$(emcc --version 2>/dev/null | head -1)
key=$( (echo "$emscripten"; printf '%s\n' "${versions[@]}"; cat "$0") | sha256sum | cut -c1-16)
prefix=$cache/$key
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi
log "building for WebAssembly (${versions[*]}; $emscripten) into $prefix"
started=$(date +%s)
rm -rf "$prefix" "$cache/work"
mkdir -p "$cache/work/sources"
work=$cache/work

# --- The sources -------------------------------------------------------------------------------
cd "$work/sources"
for entry in "${versions[@]}"; do
    package=${entry%%=*}
    fetched=false
    for choice in "$entry" $(printf "$package/%s " $suites); do
        if "${APT[@]}" source --download-only "$choice" >>"$work/fetch.log" 2>&1; then
            fetched=true
            break
        fi
    done
    if ! $fetched; then
        tail -5 "$work/fetch.log" >&2
        echo "web libraries: cannot download the source of $package" >&2
        exit 1
    fi
done
for dsc in *.dsc; do
    dpkg-source --no-check -x "$dsc" >>"$work/fetch.log" 2>&1
done
built=$(ls -1 *.dsc | sed 's/\.dsc$//')
source_of() { find "$work/sources" -maxdepth 1 -type d -name "$1-[0-9]*" | head -1; }

# --- The builds ----------------------------------------------------------------------------------
jobs=$(nproc)
cmake_build() {  # name source-folder cmake-options...
    local name=$1 source=$2
    shift 2
    log "$name"
    emcmake cmake -S "$source" -B "$work/build-$name" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$prefix" "$@" >"$work/$name.log" 2>&1 &&
        cmake --build "$work/build-$name" -j "$jobs" >>"$work/$name.log" 2>&1 &&
        cmake --install "$work/build-$name" >>"$work/$name.log" 2>&1 || {
        tail -20 "$work/$name.log" >&2
        echo "web libraries: building $name failed (its log: $work/$name.log)" >&2
        exit 1
    }
}

# zlib's own CMake rules want a Windows resource that Debian's source leaves out: its configure.
log "zlib"
cp -a "$(source_of zlib)" "$work/build-zlib"
(cd "$work/build-zlib" && emconfigure ./configure --static --prefix="$prefix" &&
    emmake make -j "$jobs" libz.a && emmake make install) >"$work/zlib.log" 2>&1 || {
    tail -20 "$work/zlib.log" >&2
    echo "web libraries: building zlib failed (its log: $work/zlib.log)" >&2
    exit 1
}

# Without threads: the page runs the game on one thread, and SDL's audio is fed by the browser.
cmake_build SDL2 "$(source_of libsdl2)" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF

# Emscripten's own SDL2 (a port it would download) must not be found: ours is named.
ours=(-DSDL2_DIR="$prefix/lib/cmake/SDL2" -DBUILD_SHARED_LIBS=OFF)
# PNG and JPEG through stb_image, which SDL2_image carries; the game reads its DDS itself.
cmake_build SDL2_image "$(source_of libsdl2-image)" "${ours[@]}" -DSDL2IMAGE_SAMPLES=OFF \
    -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_DEPS_SHARED=OFF -DSDL2IMAGE_BACKEND_STB=ON \
    -DSDL2IMAGE_AVIF=OFF -DSDL2IMAGE_JXL=OFF -DSDL2IMAGE_TIF=OFF -DSDL2IMAGE_WEBP=OFF
# WAV, Ogg Vorbis (through stb_vorbis, which SDL_mixer carries: the page's effects) and MP3
# (dr_mp3, SDL_mixer's own decoder) only.
cmake_build SDL2_mixer "$(source_of libsdl2-mixer)" "${ours[@]}" -DSDL2MIXER_SAMPLES=OFF \
    -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_CMD=OFF \
    -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF \
    -DSDL2MIXER_VORBIS=STB -DSDL2MIXER_MP3=ON -DSDL2MIXER_MP3_DRMP3=ON -DSDL2MIXER_MP3_MPG123=OFF
# The game decodes its tunes as they play with the same dr_mp3.
mkdir -p "$prefix/include/dr_libs"
cp "$(source_of libsdl2-mixer)/src/codecs/dr_libs/dr_mp3.h" "$prefix/include/dr_libs/"

for library in libz.a libSDL2.a libSDL2_image.a libSDL2_mixer.a; do
    [ -f "$prefix/lib/$library" ] || { echo "web libraries: $library was not made" >&2; exit 1; }
done
printf '%s\n' $built "$emscripten" >"$prefix/.complete"
# Older builds are of no further use.
find "$cache" -mindepth 1 -maxdepth 1 -type d ! -name apt ! -name "$key" -exec rm -rf {} +
log "done in $(($(date +%s) - started)) s"
echo "$prefix"
