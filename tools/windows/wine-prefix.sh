#!/usr/bin/env bash
# Makes a fresh Wine prefix (64-bit) in FOLDER, as a new Windows machine would be, for the
# Windows journey and the benchmark:
#   tools/windows/wine-prefix.sh FOLDER
# Wine's first start in a prefix takes a minute or more, so an initialised prefix is kept, as a
# tarball, in the Windows cache (ZANTORVIX_WINDOWS_CACHE, or ~/.cache/zantorvix, then windows/),
# under a key made of Wine's version and these scripts, and unpacked in seconds. It is kept
# uncompressed: its 700 MB would pack to a third, but take minutes to. What every Wine here is
# started with is in tools/windows/wine-environment.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
[ $# -eq 1 ] || { echo "usage: tools/windows/wine-prefix.sh FOLDER" >&2; exit 2; }
folder=$1
cache=${ZANTORVIX_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/zantorvix}/windows
. "$here/wine-environment.sh"
mkdir -p "$cache"
key=$( (wine --version 2>/dev/null; cat "$0" "$here/wine-environment.sh") | sha256sum | cut -c1-16)
tarball=$cache/wine-prefix-$key.tar
exec 8>"$cache/.wine-lock"
flock 8
if [ ! -f "$tarball" ]; then
    echo "wine prefix: starting Wine in a new prefix once, to keep it" >&2
    started=$(date +%s)
    rm -rf "$cache"/wine-prefix.*/  # what a stopped first start left
    work=$(mktemp -d "$cache/wine-prefix.XXXXXX")
    # No display: the first start shows nothing that matters, and needs none.
    WINEPREFIX=$work/prefix DISPLAY= wineboot --init >"$work/wineboot.log" 2>&1 || {
        tail -20 "$work/wineboot.log" >&2
        echo "wine prefix: wineboot failed" >&2
        exit 1
    }
    WINEPREFIX=$work/prefix wineserver --wait
    tar -C "$work/prefix" -cf "$tarball.tmp" .
    mv "$tarball.tmp" "$tarball"
    rm -rf "$work"
    find "$cache" -maxdepth 1 -name "wine-prefix-*.tar*" ! -name "${tarball##*/}" -delete
    echo "wine prefix: made in $(($(date +%s) - started)) s" >&2
fi
mkdir -p "$folder"
tar -C "$folder" -xf "$tarball"
