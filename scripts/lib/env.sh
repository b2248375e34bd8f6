# Shared by scripts/test and scripts/demo: packages, builds, the virtual display and Wine.
# Source it; it defines functions and sets ROOT.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

SEARCH_PACKAGES=(cmake make g++ libboost-dev googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools wine64 wine32:i386 wine
  xvfb xauth fonts-wqy-zenhei imagemagick libstb-dev python3 fonts-wine fonts-arphic-uming
  x11-utils unzip)
# clang and its libFuzzer runtime, for scripts/fuzz.
SEARCH_PACKAGES+=(clang libclang-rt-dev)
# The Windows trees build with clang and lld 19 (cmake/llvm-mingw-w64-*.cmake), which write PDBs
# and, unlike 14, can keep the build folder out of them; llvm-19's tools read them
# (scripts/package checks that each PDB matches its DLL).
SEARCH_PACKAGES+=(clang-19 lld-19 llvm-19)
# The Chinese locale the Wine programs run in (cmake/wine-session generates it).
SEARCH_PACKAGES+=(locales)
# Every preset builds with Ninja through ccache (CMakePresets.json).
SEARCH_PACKAGES+=(ninja-build ccache)
# Authenticode signing (scripts/package --sign-cert, scripts/checks/signing) and its test
# certificates.
SEARCH_PACKAGES+=(osslsigncode openssl)

# The compiler cache lives outside the clone (ccache's own default, ~/.cache/ccache, unless
# CCACHE_DIR says otherwise), so that a new clone on the same machine starts warm. Paths under the
# clone are hashed relative to it, and the build folder is left out of the hash, so that a clone
# in another folder hits the objects another clone compiled. (Their debug information may then
# name that other clone's folder.)
export CCACHE_BASEDIR="$ROOT"
export CCACHE_NOHASHDIR=1

log() { printf '%s\n' "$*" >&2; }

# apt and dpkg wait for a lock held by another apt instead of failing at once.
APT_LOCK_WAIT=(-o DPkg::Lock::Timeout=900)

ensure_packages() {
  local missing=() p
  for p in "${SEARCH_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    log "missing packages: ${missing[*]} (run as root to install them)"
    return 1
  fi
  log "installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  # 32-bit Wine comes from the i386 side of the archive.
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386 || return 1
  fi
  apt-get "${APT_LOCK_WAIT[@]}" update -qq >/dev/null &&
    apt-get "${APT_LOCK_WAIT[@]}" install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The CycloneDX library's validator of bills of materials, from the npm registry, pinned, in
# build/npm (outside the sources): scripts/checks/bill runs it.
BOM_VALIDATOR=(@cyclonedx/cyclonedx-library@10.3.0 ajv@8.17.1 ajv-formats@3.0.1 ajv-formats-draft2019@1.6.1)
ensure_bom_validator() {
  local dir="$ROOT/build/npm" want="${BOM_VALIDATOR[*]}"
  [ "$(cat "$dir/.installed" 2>/dev/null)" = "$want" ] && return 0
  command -v npm >/dev/null || { log "npm is missing (Node.js 20 and npm)"; return 1; }
  mkdir -p "$dir" &&
    npm install --prefix "$dir" --no-audit --no-fund --no-save --loglevel=error "${BOM_VALIDATOR[@]}" >&2 &&
    echo "$want" >"$dir/.installed"
}

# build_preset NAME [CMAKE ARGS...]: configure and build one CMake preset. Configuring every time is
# cheap and keeps a tree made by an older checkout in step with the presets and the folders of
# this one.
build_preset() {
  local preset=$1 dir="$ROOT/build/$1" existed=0 made
  shift
  mkdir -p "$ROOT/build"
  forget_other_generator "$dir" Ninja
  [ -f "$dir/CMakeCache.txt" ] && existed=1
  made=$(cache_value "$dir" CMAKE_TOOLCHAIN_FILE)
  configure_preset "$preset" "$@" || return 1
  # CMake keeps the compiler a tree was made with, whatever toolchain file the preset names now
  # (the Windows trees moved from g++ to clang).
  if [ "$existed" -eq 1 ] && [ "$made" != "$(cache_value "$dir" CMAKE_TOOLCHAIN_FILE)" ]; then
    forget_tree "$dir" "it was made with the toolchain ${made:-of no file}"
    configure_preset "$preset" "$@" || return 1
  fi
  # clang passes LIBRARY_PATH on to the linker, and lld writes its command line into each PDB: a
  # setting of this machine's (for its native libraries) would make the PDBs this machine's own.
  env -u LIBRARY_PATH cmake --build "$dir" -j"$(build_jobs)" >"$ROOT/build/$preset.build.log" 2>&1 ||
    { log "build $preset failed:"; grep -E -m 20 -B2 -A6 'error|Error' "$ROOT/build/$preset.build.log" >&2; return 1; }
}

configure_preset() {
  local preset=$1
  shift
  cmake --preset "$preset" -S "$ROOT" "$@" >"$ROOT/build/$preset.configure.log" 2>&1 ||
    { log "configure $preset failed:"; tail -30 "$ROOT/build/$preset.configure.log" >&2; return 1; }
}

# cache_value DIR NAME: the value of NAME in DIR's CMake cache; empty when there is none.
cache_value() {
  [ -f "$1/CMakeCache.txt" ] && sed -n "s/^$2:[A-Z]*=//p" "$1/CMakeCache.txt"
}

# forget_tree DIR REASON [KEEP...]: empties the tree DIR, all but the entries named KEEP (default:
# the Wine prefix, slow to make and independent of the build).
forget_tree() {
  local dir=$1 reason=$2 keep=() name
  shift 2
  [ $# -gt 0 ] || set -- wineprefix
  log "making ${dir#$ROOT/} anew: $reason"
  for name in "$@"; do keep+=(! -name "$name"); done
  find "$dir" -mindepth 1 -maxdepth 1 "${keep[@]}" -exec rm -rf {} +
}

# forget_other_generator DIR GENERATOR [KEEP...]: CMake refuses to configure a tree with another
# generator than the one that made it (trees of older checkouts were made with make), so such a
# tree is emptied, all but the entries named KEEP (as forget_tree).
forget_other_generator() {
  local dir=$1 want=$2 made
  shift 2
  [ -f "$dir/CMakeCache.txt" ] || return 0
  made=$(cache_value "$dir" CMAKE_GENERATOR)
  [ "$made" = "$want" ] && return 0
  forget_tree "$dir" "it was made with ${made:-another generator}, not $want" "$@"
}

# At most two compilers at once: the machines are shared and have two cores.
build_jobs() {
  local n
  n=$(nproc 2>/dev/null || echo 1)
  [ "$n" -gt 2 ] && n=2
  echo "$n"
}

# The Wine session of one Windows build tree (cmake/wine-session): its prefix, a virtual display
# and one persistent wineserver. start_wine_env also exports what a Wine program of that tree runs
# with (cmake/wine-env, DISPLAY), so that the caller can run `wine PROGRAM` itself; stop_wine_env
# ends every session this shell started.
WINE_SESSIONS=()
start_wine_env() {
  local build=${1:-$ROOT/build/windows}
  WINE_SESSIONS+=("$build")
  "$ROOT/cmake/wine-session" start "$build" || return 1
  local SESSION_DISPLAY= SESSION_XVFB_PID=
  # shellcheck source=/dev/null
  . "$build/wine/session"
  # shellcheck source=../../cmake/wine-env
  . "$ROOT/cmake/wine-env"
  export DISPLAY="$SESSION_DISPLAY"
}

# set_desktop_dpi DPI: the DPI of the desktop for the Wine programs started from now on (Wine reads
# it as a program starts): 120, 144 and 192 are the 125 %, 150 % and 200 % of a client's display.
# The next session start puts back 96.
set_desktop_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
}

stop_wine_env() {
  local dir
  for dir in "${WINE_SESSIONS[@]}"; do
    "$ROOT/cmake/wine-session" stop "$dir"
  done
  WINE_SESSIONS=()
}
