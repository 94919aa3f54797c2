#!/usr/bin/env bash
# Builds SDL2, SDL2_image, SDL2_mixer and zlib for WebAssembly from this machine's own Debian
# sources, once, into a cache outside the repository, and prints the folder that holds them
# (include/ and lib/). tools/debian-sources.sh says how the sources are fetched and kept.
#   tools/web/libraries.sh
# The cache is ZANTORVIX_WEB_CACHE, or zantorvix/ in XDG_CACHE_HOME (~/.cache), then wasm/.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
label=web
cache=${ZANTORVIX_WEB_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zantorvix}/wasm
. "$here/../debian-sources.sh"
lock_library_cache
# Emscripten's own scripts look for their Node.js modules where Debian puts them, also under a
# Node.js from elsewhere.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}

open_source_index
choose_source_versions libsdl2 libsdl2-image libsdl2-mixer zlib
emscripten=$(emcc --version 2>/dev/null | head -1)
if find_library_build "$emscripten" "$0"; then
    echo "$prefix"
    exit 0
fi
log "building for WebAssembly (${versions[*]}; $emscripten) into $prefix"
work=$cache/work
fetch_sources
CMAKE_CONFIGURE=(emcmake cmake)

ZLIB_CONFIGURE=(emconfigure ./configure)
ZLIB_MAKE=(emmake make)
build_zlib

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

finish_library_build "$emscripten" libz.a libSDL2.a libSDL2_image.a libSDL2_mixer.a
