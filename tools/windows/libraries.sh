#!/usr/bin/env bash
# Builds zlib, mpg123, SDL2, SDL2_image and SDL2_mixer (its MP3 through mpg123, as on Linux) for
# 64-bit Windows with MinGW-w64 from this machine's own Debian sources, once, into a cache
# outside the repository, and prints the folder that holds them (include/, lib/ and bin/).
# All are static libraries but mpg123, a DLL (bin/), since its licence (the LGPL) lets the
# player replace it. tools/debian-sources.sh says how the sources are fetched and kept.
#   tools/windows/libraries.sh
# The cache is ZANTORVIX_WINDOWS_CACHE, or zantorvix/ in XDG_CACHE_HOME (~/.cache), then
# windows/.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
label=windows
cache=${ZANTORVIX_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zantorvix}/windows
. "$here/../debian-sources.sh"
lock_library_cache

open_source_index
choose_source_versions libsdl2 libsdl2-image libsdl2-mixer zlib mpg123
target=x86_64-w64-mingw32
compiler=$($target-g++-posix --version | head -1)
if find_library_build "$compiler" "$0" "$here/mingw-w64.cmake"; then
    echo "$prefix"
    exit 0
fi
log "building for Windows (${versions[*]}; $compiler) into $prefix"
work=$cache/work
fetch_sources
# mpg123 is built for 64-bit file offsets and names its functions so (mpg123_seek_64): what
# calls it is compiled for them too.
CMAKE_CONFIGURE=(cmake -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64.cmake" -DCMAKE_PREFIX_PATH="$prefix"
    -DCMAKE_C_FLAGS=-D_FILE_OFFSET_BITS=64)

ZLIB_CONFIGURE=(env CHOST=$target CC=$target-gcc-posix ./configure)
ZLIB_MAKE=(make)
build_zlib

# The decoding library alone, without its programs or its audio output library.
cmake_build mpg123 "$(source_of mpg123)/ports/cmake" -DBUILD_SHARED_LIBS=ON \
    -DBUILD_PROGRAMS=OFF -DBUILD_LIBOUT123=OFF

cmake_build SDL2 "$(source_of libsdl2)" -DSDL_SHARED=OFF -DSDL_STATIC=ON -DSDL_TEST=OFF

ours=(-DSDL2_DIR="$prefix/lib/cmake/SDL2" -DBUILD_SHARED_LIBS=OFF)
# PNG and JPEG through stb_image, which SDL2_image carries; the game reads its DDS itself.
cmake_build SDL2_image "$(source_of libsdl2-image)" "${ours[@]}" -DSDL2IMAGE_SAMPLES=OFF \
    -DSDL2IMAGE_VENDORED=OFF -DSDL2IMAGE_DEPS_SHARED=OFF -DSDL2IMAGE_BACKEND_STB=ON \
    -DSDL2IMAGE_BACKEND_WIC=OFF -DSDL2IMAGE_AVIF=OFF -DSDL2IMAGE_JXL=OFF -DSDL2IMAGE_TIF=OFF \
    -DSDL2IMAGE_WEBP=OFF
# WAV and MP3 (through mpg123) only.
cmake_build SDL2_mixer "$(source_of libsdl2-mixer)" "${ours[@]}" -DSDL2MIXER_SAMPLES=OFF \
    -DSDL2MIXER_VENDORED=OFF -DSDL2MIXER_DEPS_SHARED=OFF -DSDL2MIXER_CMD=OFF \
    -DSDL2MIXER_FLAC=OFF -DSDL2MIXER_MOD=OFF -DSDL2MIXER_MIDI=OFF -DSDL2MIXER_OPUS=OFF \
    -DSDL2MIXER_VORBIS=OFF -DSDL2MIXER_MP3=ON -DSDL2MIXER_MP3_DRMP3=OFF \
    -DSDL2MIXER_MP3_MPG123=ON

# The libraries go out with the game, and their licences and copyright notices with them, as
# Debian collects them, and the versions of the sources they were built from.
mkdir -p "$prefix/share/licences"
for entry in "${versions[@]}"; do
    cp "$(source_of "${entry%%=*}")/debian/copyright" "$prefix/share/licences/${entry%%=*}.txt"
done
printf '%s\n' "${versions[@]}" >"$prefix/share/licences/versions.txt"

finish_library_build "$compiler" libz.a libmpg123.dll.a libSDL2.a libSDL2_image.a libSDL2_mixer.a
