#!/usr/bin/env bash
# The Debian package as a player's machine meets it: built by CPack from this build, checked
# by lintian, installed into a scratch root with dpkg, started there (it must find every
# picture and sound through /usr/games, and keep its files in the player's folder), then
# purged without a trace.
#   package_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
scratch=$(mktemp -d /tmp/zantorvix-package-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$scratch" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/out" \
    >"$scratch/cpack.txt" 2>&1) || fail "cpack could not build the package: $(cat "$scratch/cpack.txt")"
deb=$(ls "$scratch"/out/zantorvix_*.deb)

listing=$(dpkg-deb -c "$deb")
for path in ./usr/bin/zantorvix ./usr/games/zantorvix \
    ./usr/share/zantorvix/gfx/titlebkg.png ./usr/share/zantorvix/gfx/HUD.dds \
    ./usr/share/zantorvix/gfx/font/A.png ./usr/share/zantorvix/sfx/bgm.mp3 \
    ./usr/share/applications/org.zantorvix.Zantorvix.desktop \
    ./usr/share/metainfo/org.zantorvix.Zantorvix.metainfo.xml \
    ./usr/share/man/man6/zantorvix.6.gz ./usr/share/doc/zantorvix/copyright; do
    grep -q " $path\( ->\|$\)" <<<"$listing" || fail "the package lacks $path"
done
for size in 32 48 64 128 256; do
    grep -q " ./usr/share/icons/hicolor/${size}x${size}/apps/zantorvix.png$" <<<"$listing" ||
        fail "the package lacks the ${size}x${size} icon"
done
depends=$(dpkg-deb -f "$deb" Depends)
for library in libsdl2-2.0-0 libsdl2-image-2.0-0 libsdl2-mixer-2.0-0; do
    grep -q "$library" <<<"$depends" || fail "the package does not depend on $library: $depends"
done

if command -v lintian >/dev/null; then
    complaints=$(lintian "$deb" 2>&1 | grep -E '^[EW]: ' || true)
    [ -z "$complaints" ] || fail "lintian: $complaints"
else
    echo "lintian is not installed; its check is left out"
fi

# A scratch root with an empty dpkg database: the package's own files, no maintainer scripts
# run as root on this machine.
root="$scratch/root"
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates"
touch "$root/var/lib/dpkg/status"
dpkg=(dpkg --root="$root" --force-not-root --force-depends --force-script-chrootless)
"${dpkg[@]}" -i "$deb" >"$scratch/dpkg.txt" 2>&1 ||
    fail "dpkg could not install the package: $(cat "$scratch/dpkg.txt")"
[ -x "$root/usr/games/zantorvix" ] || fail "no program after installing"

# Started from an empty folder with its own data folder, on SDL's invisible drivers; it runs
# until stopped.
mkdir "$scratch/work" "$scratch/xdg"
status=0
(cd "$scratch/work" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy XDG_DATA_HOME="$scratch/xdg" \
    timeout 4 "$root/usr/games/zantorvix" 2>"$scratch/stderr.txt") || status=$?
[ "$status" = 124 ] || fail "the installed game ended by itself (status $status): $(cat "$scratch/stderr.txt")"
[ ! -s "$scratch/stderr.txt" ] || fail "the installed game complained: $(cat "$scratch/stderr.txt")"
[ -d "$scratch/xdg/zantorvix" ] || fail "the installed game made no data folder"
[ -z "$(ls -A "$scratch/work")" ] || fail "the installed game wrote into its working folder"

"${dpkg[@]}" --purge zantorvix >"$scratch/dpkg.txt" 2>&1 ||
    fail "dpkg could not remove the package: $(cat "$scratch/dpkg.txt")"
left=$(find "$root" -path "$root/var" -prune -o \( -type f -o -type l \) -print)
[ -z "$left" ] || fail "files left after removing the package: $left"
echo "the package builds, passes lintian, installs, runs and removes cleanly"
