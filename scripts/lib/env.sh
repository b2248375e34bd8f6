# Shared by scripts/test and scripts/demo: packages, builds, the virtual display and Wine.
# Source it; it defines functions and sets ROOT.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

SEARCH_PACKAGES=(cmake make g++ libboost-dev googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 wine xvfb xauth fonts-wqy-zenhei
  imagemagick libstb-dev python3 fonts-wine fonts-arphic-uming x11-utils)
# clang and its libFuzzer runtime, for scripts/fuzz.
SEARCH_PACKAGES+=(clang libclang-rt-dev)

log() { printf '%s\n' "$*" >&2; }

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
  apt-get update -qq >/dev/null && apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# build_preset NAME: configure (once) and build one CMake preset.
build_preset() {
  local preset=$1 dir="$ROOT/build/$1"
  if [ ! -f "$dir/CMakeCache.txt" ]; then
    cmake --preset "$preset" -S "$ROOT" >"$ROOT/build/$preset.configure.log" 2>&1 ||
      { log "configure $preset failed:"; tail -30 "$ROOT/build/$preset.configure.log" >&2; return 1; }
  fi
  cmake --build "$dir" -j"$(nproc)" >"$ROOT/build/$preset.build.log" 2>&1 ||
    { log "build $preset failed:"; grep -E -m 20 -B2 -A6 'error|Error' "$ROOT/build/$preset.build.log" >&2; return 1; }
}

# Virtual X display and one persistent wineserver; stop_wine_env ends both, by PID and wineserver -k.
XVFB_PID=
start_wine_env() {
  export WINEPREFIX="${SEARCH_WINEPREFIX:-$ROOT/build/windows/wineprefix}"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  if [ -z "${DISPLAY_KEEP:-}" ]; then
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=":$n"
    local i
    for i in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  fi
  mkdir -p "$WINEPREFIX"
  # Everything Wine starts is detached from our output: its helper processes would otherwise hold
  # the caller's pipe open long after the tests end.
  if [ ! -f "$WINEPREFIX/.search-setup-5" ]; then
    wine cmd /c exit </dev/null >/dev/null 2>&1
    install_font_substitutes
    wineserver -w </dev/null >/dev/null 2>&1
    touch "$WINEPREFIX/.search-setup-5"
  fi
  wineserver -p </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1
}

# Draw the faces the dialogs ask for with a CJK font, or Chinese text comes out as boxes.
install_font_substitutes() {
  local reg="$WINEPREFIX/font-substitutes.reg"
  python3 - "$reg" <<'PY'
import sys
# A Simplified Chinese system draws its dialog faces and the Song faces with its Song font; the
# Ming-style face with embedded small bitmaps stands in for it and stays sharp at 12 pixels.
song = "AR PL UMing CN"
faces = {f: song for f in ["MS Shell Dlg", "MS Shell Dlg 2", "Tahoma", "Microsoft Sans Serif",
                           "SimSun", "宋体", "NSimSun", "新宋体"]}
lines = ["Windows Registry Editor Version 5.00", "",
         r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]"]
lines += ['"%s"="%s"' % item for item in faces.items()]
# Every program runs inside one virtual desktop: windows get frames and title bars, and showing or
# hiding a top-level window does not wait on the X server (about 2 s a time on a bare Xvfb).
# Text drawn without smoothing, as a classic Chinese desktop draws its Song font: small Latin
# glyphs stay black instead of fading to grey.
lines += ["", r"[HKEY_CURRENT_USER\Control Panel\Desktop]", '"FontSmoothing"="0"']
lines += ["", r"[HKEY_CURRENT_USER\Software\Wine\Explorer]", '"Desktop"="Default"',
          "", r"[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]", '"Default"="1024x768"']
open(sys.argv[1], "w", encoding="utf-16").write("\r\n".join(lines) + "\r\n")
PY
  wine regedit "$(winepath -w "$reg" 2>/dev/null || echo "$reg")" </dev/null >/dev/null 2>&1
  # Wine's own symbol font draws the title bars' buttons; this Wine looks for it in the prefix.
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ -d "$fonts" ]; then
    cp -n /usr/share/wine/fonts/marlett.ttf "$fonts/"
  fi
}

stop_wine_env() {
  if [ -n "${WINEPREFIX:-}" ]; then wineserver -k </dev/null >/dev/null 2>&1; fi
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null; wait "$XVFB_PID" 2>/dev/null; XVFB_PID=; fi
}
