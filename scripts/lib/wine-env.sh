# Sourced by the scripts that run Windows programs under Wine.
# fh_wine_start makes a private, throwaway prefix for the edition in use
# (fh_use_edition, scripts/lib/edition.sh; by default the first edition this
# machine runs) and a private X display; fh_wine_stop ends what
# fh_wine_start started, by process id, and removes the prefix. Both are
# safe to call more than once.
source "$(dirname "${BASH_SOURCE[0]}")/edition.sh"

FH_XVFB_PID=""
FH_OWN_PREFIX=""

fh_log() { echo "[$(date +%H:%M:%S)] $*" >&2; }

# The first display number that no X server holds.
fh_free_display() {
  local n=90
  while [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ]; do n=$((n + 1)); done
  echo "$n"
}

fh_start_xvfb() {
  if [ -n "${DISPLAY:-}" ] && [ -z "${FH_FORCE_XVFB:-}" ] && command -v xdpyinfo >/dev/null && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local n; n=$(fh_free_display)
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  FH_XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 50); do
    [ -e "/tmp/.X11-unix/X${n}" ] && return 0
    sleep 0.1
  done
  fh_log "Xvfb did not start on :$n"
  return 1
}

fh_reg() { timeout 60 wine reg "$@" >/dev/null 2>&1; }

fh_wine_start() {
  [ -n "${FH_EDITION:-}" ] || fh_use_edition "$(fh_default_edition)"
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ -z "${WINEPREFIX:-}" ] || [ -n "${FH_NEW_PREFIX:-1}" ]; then
    WINEPREFIX=$(mktemp -d /tmp/fh-wine.XXXXXX)
    FH_OWN_PREFIX=$WINEPREFIX
  fi
  export WINEPREFIX
  fh_start_xvfb || return 1
  fh_log "$FH_EDITION edition: $WINEARCH wine prefix $WINEPREFIX on display $DISPLAY"
  timeout 180 wineboot -i >/dev/null 2>&1
  timeout 60 wineserver -w
  # A persistent server saves half a second on every process start.
  wineserver -p
  # No window manager here: unmanaged, undecorated windows hide and close
  # without two-second waits. A crash must never wait on a dialog.
  fh_reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
  fh_reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f
  fh_reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
  # Debian's Wine does not find its own fonts where they are installed.
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null
  # The user folders are links to $HOME; tests need real, private ones.
  local d
  for d in "$WINEPREFIX"/drive_c/users/*/*; do
    if [ -L "$d" ]; then rm -f "$d"; mkdir -p "$d"; fi
  done
  # A loader that cannot run can still exit 0: prove Wine runs.
  local probe
  probe=$(timeout 60 wine cmd /c echo fh-wine-ok 2>/dev/null | tr -d '\r')
  if [ "$probe" != "fh-wine-ok" ]; then
    fh_log "Wine does not run the $FH_EDITION edition's programs in a $WINEARCH prefix"
    return 1
  fi
}

fh_wine_stop() {
  if [ -n "${WINEPREFIX:-}" ]; then timeout 30 wineserver -k >/dev/null 2>&1; fi
  if [ -n "$FH_XVFB_PID" ]; then kill "$FH_XVFB_PID" 2>/dev/null; wait "$FH_XVFB_PID" 2>/dev/null; FH_XVFB_PID=""; fi
  if [ -n "$FH_OWN_PREFIX" ] && [ -d "$FH_OWN_PREFIX" ]; then rm -rf "$FH_OWN_PREFIX"; FH_OWN_PREFIX=""; fi
}
