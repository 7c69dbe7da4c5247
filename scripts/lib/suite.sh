# Sourced by the script suites (tests/*/suite-*.sh): they print one
# "PASS <name>", "FAIL <name>: <why>" or "SKIP <name>: <why>" line per
# check and end with `exit $FAILED`. HERE is the suite's folder, ROOT the
# repository.
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
source "$ROOT/scripts/lib/wine-env.sh"
source "$ROOT/scripts/lib/site.sh"

FAILED=0
FH_SUITE_OWN_WINE=""
FH_SUITE_SITE_DIR=""
FH_INTERNET='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
pass() { echo "PASS $1"; }
fail() { echo "FAIL $1: $2"; FAILED=1; }
# A check this machine cannot run ($2 says why).
skip() { echo "SKIP $1: $2"; }
# $2 says why check $1 failed; empty, it passed.
verdict() { if [ -z "$2" ]; then pass "$1"; else fail "$1" "$2"; fi; }

# The caller's Wine prefix and stand-in site, or ones of the suite's own
# (fh_suite_wine: for the edition built in folder $1; fh_suite_site: site
# lifetime $1), which fh_suite_stop ends.
fh_suite_wine() {
  [ -n "${WINEPREFIX:-}" ] && return
  fh_use_edition "$(fh_edition_of "$1")"
  fh_wine_start || { echo "FAIL wine-environment: could not start Wine"; exit 1; }
  FH_SUITE_OWN_WINE=1
}
fh_suite_site() {
  [ -n "${FH_SITE_PORT:-}" ] && return
  FH_SUITE_SITE_DIR=$(mktemp -d)
  fh_site_start "$FH_SUITE_SITE_DIR" "$1" || { echo "FAIL stand-in-site: it did not start"; exit 1; }
}
fh_suite_stop() {
  fh_site_stop
  [ -n "$FH_SUITE_SITE_DIR" ] && rm -rf "$FH_SUITE_SITE_DIR"
  [ -n "$FH_SUITE_OWN_WINE" ] && fh_wine_stop
}

# Runs "$@" every 0.1 s, at most $1 times, until it succeeds.
fh_poll() {
  local tries=$1 i
  shift
  for ((i = 0; i < tries; i++)); do "$@" && return 0; sleep 0.1; done
  return 1
}
fh_ended() { ! pgrep -f "$1" >/dev/null; }
fh_sized() { [ "$(stat -c %s "$1" 2>/dev/null)" = "$2" ]; }

# Through cscript (command $1), sets InstallDir to $2 and calls
# DownloadVideo($3) as the browser's pages do (tests/extension/call-download.js
# tells the rest); prints why the call failed.
fh_call_download() {
  local out js="Z:${ROOT//\//\\}\\tests\\extension\\call-download.js"
  out=$(timeout 60 $1 //nologo "$js" "${@:2}" 2>&1 | tr -d '\r')
  [ "$out" = returned ] || { echo "DownloadVideo: ${out:-no output}"; return 1; }
}

# Settings with which the program saves to folder $1 at once and closes,
# reaching the stand-in site through the per-user proxy.
fh_auto_download_settings() {
  local settings='HKCU\Software\Quorvane\Framehaul\Settings'
  fh_reg add "$settings" /v DefaultFolder /d "$1" /f
  fh_reg add "$settings" /v AutoStart /t REG_DWORD /d 1 /f
  fh_reg add "$settings" /v AutoClose /t REG_DWORD /d 1 /f
  fh_reg add "$FH_INTERNET" /v ProxyEnable /t REG_DWORD /d 1 /f
  fh_reg add "$FH_INTERNET" /v ProxyServer /d "127.0.0.1:$FH_SITE_PORT" /f
}

# Waits up to 60 s for the site's "sample" video at $1; true when it came
# whole and equal to what the site serves.
fh_sample_saved() {
  local reference rc
  fh_poll 600 fh_sized "$1" 2000000
  reference=$(mktemp)
  curl -s -o "$reference" "http://127.0.0.1:$FH_SITE_PORT/get_video?video_id=sample&l=30&t=OEgsToPDskJ&size=2000000"
  cmp -s "$1" "$reference"
  rc=$?
  rm -f "$reference"
  return $rc
}
