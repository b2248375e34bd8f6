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
  use_chinese_desktop
  # The stamp holds the locale the setup was made in. Wine rewrites a prefix's font substitutes the
  # first time it starts in another code page: a change of locale redoes the setup after that, and
  # so does a prefix whose substitutes a program run in another locale has rewritten meanwhile.
  local stamp="$WINEPREFIX/.search-setup-6"
  if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "${LANG:-}" ] || ! font_substitutes_in_place; then
    wine cmd /c exit </dev/null >/dev/null 2>&1
    install_font_substitutes
    wineserver -w </dev/null >/dev/null 2>&1
    printf '%s' "${LANG:-}" >"$stamp"
  fi
  wineserver -p </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1
  reset_desktop_dpi
}

# Draw the faces the dialogs ask for with a CJK font, or Chinese text comes out as boxes.
# A Simplified Chinese system draws its dialog faces and the Song faces with its Song font; the
# Ming-style face has the same metrics (a 12-pixel cell is a 12-pixel character) and, drawn without
# smoothing, sharp black strokes at 12 pixels, Latin letters included.
SEARCH_SONG_FACE="AR PL UMing CN"

font_substitutes_in_place() {
  grep -qF "\"MS Shell Dlg\"=\"$SEARCH_SONG_FACE\"" "$WINEPREFIX/system.reg" 2>/dev/null
}

install_font_substitutes() {
  local reg="$WINEPREFIX/font-substitutes.reg"
  python3 - "$reg" "$SEARCH_SONG_FACE" <<'PY'
import sys
song = sys.argv[2]
faces = {f: song for f in ["MS Shell Dlg", "MS Shell Dlg 2", "Tahoma", "Microsoft Sans Serif",
                           "SimSun", "宋体", "NSimSun", "新宋体"]}
lines = ["Windows Registry Editor Version 5.00", "",
         r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]"]
lines += ['"%s"="%s"' % item for item in faces.items()]
# Every program runs inside one virtual desktop: windows get frames and title bars, and showing or
# hiding a top-level window does not wait on the X server (about 2 s a time on a bare Xvfb).
# Text drawn without smoothing, as on a classic Chinese desktop. (This Wine asks fontconfig rather
# than this value whether to smooth a face: see use_chinese_desktop.)
lines += ["", r"[HKEY_CURRENT_USER\Control Panel\Desktop]", '"FontSmoothing"="0"']
# Title bars in the dialog face at its normal weight, as a Chinese desktop draws them: made bold
# by Wine at 12 pixels, dense characters such as 圈 close up into blots.
import struct
caption = struct.pack("<5i8B", -11, 0, 0, 0, 400, 0, 0, 0, 0, 0, 0, 0, 0x22)
caption += "MS Shell Dlg".encode("utf-16-le").ljust(64, b"\0")
lines += ["", r"[HKEY_CURRENT_USER\Control Panel\Desktop\WindowMetrics]",
          '"CaptionFont"=hex:' + ",".join("%02x" % b for b in caption)]
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

# ---------------------------------------------------------------------------------------------
# A Chinese desktop for the Wine programs: system texts (a message box's "确定") in Chinese and
# code page 936, as on the client's machines. Wine takes both from the locale of its processes.
SEARCH_PACKAGES+=(locales)
SEARCH_LOCALE=zh_CN.UTF-8

# ensure_chinese_locale: generates the locale once (as root); without it Wine stays English.
ensure_chinese_locale() {
  locale -a 2>/dev/null | grep -qix 'zh_CN.utf8' && return 0
  if [ "$(id -u)" -ne 0 ]; then
    log "locale $SEARCH_LOCALE is missing (run as root to generate it); Wine will speak English"
    return 1
  fi
  grep -qx "$SEARCH_LOCALE UTF-8" /etc/locale.gen 2>/dev/null || echo "$SEARCH_LOCALE UTF-8" >>/etc/locale.gen
  locale-gen >/dev/null 2>&1 || { log "locale-gen failed"; return 1; }
}

# use_chinese_desktop: every Wine process started from here on runs in the Chinese locale, and
# draws text without smoothing. Wine smooths whatever fontconfig tells it to, whatever the
# desktop's own setting says; smoothed at 12 pixels, the Song face's Latin letters fade to grey.
use_chinese_desktop() {
  export FONTCONFIG_FILE="$ROOT/scripts/lib/wine-fonts.conf"
  ensure_chinese_locale || return 0
  export LANG=$SEARCH_LOCALE LC_ALL=$SEARCH_LOCALE
}

# set_desktop_dpi DPI: the DPI of the desktop for the Wine programs started from now on (Wine reads
# it as a program starts): 120, 144 and 192 are the 125 %, 150 % and 200 % of a client's display.
set_desktop_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f </dev/null >/dev/null 2>&1
}

# reset_desktop_dpi: 96 DPI, the desktop every test but the DPI tests expects. Those set another
# for the programs they start and put this back; a run stopped half-way heals here.
reset_desktop_dpi() { set_desktop_dpi 96; }
