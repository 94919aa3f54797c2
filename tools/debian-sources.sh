# Shared by the builders of the libraries for another machine (tools/web/libraries.sh for
# WebAssembly, tools/windows/libraries.sh for Windows): the sources come from this machine's own
# Debian, through a private apt configuration made from its package sources (their deb-src
# twins), which leaves the system's own untouched; each build is kept in a cache folder under a
# key made of the compiler's version, the source versions and the builder's scripts.
# Sourced, after setting `label` (for messages) and `cache` (the cache folder).

log() { echo "$label libraries: $*" >&2; }
fail() {
    echo "$label libraries: $*" >&2
    exit 1
}

# Takes the cache's lock: one build at a time; a second command waits and then finds it made.
lock_library_cache() {
    mkdir -p "$cache"
    exec 9>"$cache/.lock"
    flock 9
}

# --- The private apt configuration: the deb-src twins of this machine's sources -------------
# Sets APT and apt_settings, and reads the source index again when the sources changed or the
# index is a day old.
open_source_index() {
    local apt_dir=$cache/apt
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts"
    apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' 'Identifier: Packages' |
        sort -u | sed 's/^/deb-src /' >"$apt_dir/sources.list.new"
    [ -s "$apt_dir/sources.list.new" ] || fail "this machine's package sources list no Debian archive"
    apt_settings=(-o "Dir::Etc::SourceList=$apt_dir/sources.list"
        -o "Dir::Etc::SourceParts=$apt_dir/parts" -o "Dir::State::Lists=$apt_dir/lists"
        -o "Dir::Cache=$apt_dir/cache" -o APT::Sandbox::User=root -o Debug::NoLocking=true)
    APT=(apt-get -q "${apt_settings[@]}")
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
    suites=$(awk '{ print $3 }' "$apt_dir/sources.list" | sort -u)
}

# Sets versions to PACKAGE=VERSION for each source package named: the version apt would take
# (a mirror may lack the newest update's sources: fetch_sources then falls back on the release's).
choose_source_versions() {
    local package version
    versions=()
    for package in "$@"; do
        version=$(apt-cache "${apt_settings[@]}" showsrc --only-source "$package" 2>/dev/null |
            sed -n 's/^Version: //p' | sort -V | tail -1)
        [ -n "$version" ] || fail "no Debian source of $package is to be had"
        versions+=("$package=$version")
    done
}

# Sets prefix to the build's folder for this compiler (its version line), these versions and
# the scripts named; returns 0 when a finished build is already there.
find_library_build() {  # compiler-line script...
    local compiler=$1
    shift
    key=$( (echo "$compiler"; printf '%s\n' "${versions[@]}"; cat "$@" "${BASH_SOURCE[0]}") |
        sha256sum | cut -c1-16)
    prefix=$cache/$key
    [ -f "$prefix/.complete" ]
}

# Downloads and unpacks the sources of `versions` into $work/sources, afresh.
fetch_sources() {
    local entry package fetched choice dsc
    started=$(date +%s)
    rm -rf "$prefix" "$work"
    mkdir -p "$work/sources"
    (
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
                fail "cannot download the source of $package"
            fi
        done
        for dsc in *.dsc; do
            dpkg-source --no-check -x "$dsc" >>"$work/fetch.log" 2>&1
        done
    )
}

# The unpacked source folder of a source package.
source_of() { find "$work/sources" -maxdepth 1 -type d -name "$1-[0-9]*" | head -1; }

# Runs a step of a library's build with its output in $work/NAME.log, showing the log's end
# and stopping when it fails.
build_step() {  # name command...
    local name=$1
    shift
    "$@" >>"$work/$name.log" 2>&1 || {
        tail -20 "$work/$name.log" >&2
        fail "building $name failed (its log: $work/$name.log)"
    }
}

# Configures, builds and installs a CMake project into prefix; CMAKE_CONFIGURE is the command
# that configures for the other machine (emcmake cmake, or cmake with a toolchain file).
cmake_build() {  # name source-folder cmake-options...
    local name=$1 source=$2
    shift 2
    log "$name"
    build_step "$name" "${CMAKE_CONFIGURE[@]}" -S "$source" -B "$work/build-$name" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" "$@"
    build_step "$name" cmake --build "$work/build-$name" -j "$(nproc)"
    build_step "$name" cmake --install "$work/build-$name"
}

# Builds zlib as a static library into prefix. Its own CMake rules want a Windows resource that
# Debian's source leaves out, so its configure script it is; ZLIB_CONFIGURE and ZLIB_MAKE are
# its configure and make for the other machine.
build_zlib() {
    log "zlib"
    cp -a "$(source_of zlib)" "$work/build-zlib"
    (
        cd "$work/build-zlib"
        build_step zlib "${ZLIB_CONFIGURE[@]}" --static --prefix="$prefix"
        build_step zlib "${ZLIB_MAKE[@]}" -j "$(nproc)" libz.a
        build_step zlib "${ZLIB_MAKE[@]}" install
    )
}

# Checks that the libraries named were made, marks the build finished, removes older builds and
# prints the folder.
finish_library_build() {  # compiler-line library...
    local compiler=$1 library
    shift
    for library in "$@"; do
        [ -f "$prefix/lib/$library" ] || fail "$library was not made"
    done
    (cd "$work/sources" && ls -1 *.dsc | sed 's/\.dsc$//'; echo "$compiler") >"$prefix/.complete"
    # Older builds are of no further use; what else lives in the cache (apt/, say) stays.
    find "$cache" -mindepth 1 -maxdepth 1 -type d -regextype posix-extended \
        -regex '.*/[0-9a-f]{16}' ! -name "$key" -exec rm -rf {} +
    rm -rf "$work"
    log "done in $(($(date +%s) - started)) s"
    echo "$prefix"
}
