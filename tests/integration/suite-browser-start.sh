#!/bin/bash
# From the browser to a file: Snagbar.dll registered with regsvr32 from an
# install folder, a script creates "Framehaul.IE" and calls DownloadVideo as
# Internet Explorer's pages do, and the real Framehaul.exe it starts
# downloads the video from the stand-in site and closes by itself.
# Prints "PASS <name>" or "FAIL <name>: <why>"; exits 1 when any failed.
#
# Usage: suite-browser-start.sh BUILD_WIN_DIR
# Runs in the caller's Wine environment (WINEPREFIX, FH_SITE_PORT); without
# one it starts its own, and the stand-in site too.
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
W32=$(cd "${1:?usage: suite-browser-start.sh BUILD_WIN_DIR}" && pwd)
source "$ROOT/scripts/lib/wine-env.sh"
source "$ROOT/scripts/lib/site.sh"

FAILED=0
OWN_ENV=""
SITE_DIR=""
pass() { echo "PASS $1"; }
fail() { echo "FAIL $1: $2"; FAILED=1; }

APPKEY='HKCU\Software\Quorvane\Framehaul'
INTERNET='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
INSTALL_WIN='C:\Framehaul Browser Test'
DOWNLOADS_WIN='C:\fh_browser_downloads'

cleanup() {
  if [ -n "${WINEPREFIX:-}" ]; then
    timeout 30 wine regsvr32 /s /u "$INSTALL_WIN\\Snagbar.dll" >/dev/null 2>&1
    fh_reg delete "$APPKEY" /f
    fh_reg add "$INTERNET" /v ProxyEnable /t REG_DWORD /d 0 /f
    rm -rf "$WINEPREFIX/drive_c/Framehaul Browser Test" "$WINEPREFIX/drive_c/fh_browser_downloads"
  fi
  fh_site_stop
  [ -n "$SITE_DIR" ] && rm -rf "$SITE_DIR"
  [ -n "$OWN_ENV" ] && fh_wine_stop
}
trap cleanup EXIT

if [ -z "${WINEPREFIX:-}" ]; then
  fh_wine_start || { echo "FAIL wine-environment: could not start Wine"; exit 1; }
  OWN_ENV=1
fi
if [ -z "${FH_SITE_PORT:-}" ]; then
  SITE_DIR=$(mktemp -d)
  fh_site_start "$SITE_DIR" 300 || { echo "FAIL stand-in-site: it did not start"; exit 1; }
fi

install="$WINEPREFIX/drive_c/Framehaul Browser Test"
downloads="$WINEPREFIX/drive_c/fh_browser_downloads"
mkdir -p "$install" "$downloads"
cp "$W32/app/Framehaul.exe" "$W32/extension/Snagbar.dll" "$install/"

if timeout 60 wine regsvr32 /s "$INSTALL_WIN\\Snagbar.dll" >/dev/null 2>&1 &&
   timeout 30 wine reg query 'HKCR\Framehaul.IE\CLSID' >/dev/null 2>&1; then
  pass register-module
else
  fail register-module "regsvr32 did not register Framehaul.IE"
fi

fh_reg add "$APPKEY\\Settings" /v DefaultFolder /d "$DOWNLOADS_WIN" /f
fh_reg add "$APPKEY\\Settings" /v AutoStart /t REG_DWORD /d 1 /f
fh_reg add "$APPKEY\\Settings" /v AutoClose /t REG_DWORD /d 1 /f
fh_reg add "$INTERNET" /v ProxyEnable /t REG_DWORD /d 1 /f
fh_reg add "$INTERNET" /v ProxyServer /d "127.0.0.1:$FH_SITE_PORT" /f

url='http://www.youtube.com/watch?v=sample'
out=$(cd "$ROOT/tests/extension" && timeout 60 wine cscript //nologo call-download.js "$INSTALL_WIN" "$url" 2>&1 | tr -d '\r')
if echo "$out" | grep -qx returned; then pass call-download-video; else fail call-download-video "$out"; fi

# The program runs on its own: wait for its file, then for it to close.
file="$downloads/Sample clip.flv"
for _ in $(seq 1 600); do
  [ -f "$file" ] && [ "$(stat -c %s "$file")" -eq 2000000 ] && break
  sleep 0.1
done
closed=""
for _ in $(seq 1 300); do
  pgrep -f 'Framehaul Browser Test.Framehaul\.exe' >/dev/null || { closed=1; break; }
  sleep 0.1
done
reference=$(mktemp)
curl -s -o "$reference" "http://127.0.0.1:$FH_SITE_PORT/get_video?video_id=sample&l=30&t=OEgsToPDskJ&size=2000000"
if [ -f "$file" ] && cmp -s "$file" "$reference"; then
  pass program-downloaded-the-video
else
  fail program-downloaded-the-video "no identical 'Sample clip.flv' in $downloads"
fi
rm -f "$reference"
if [ -n "$closed" ]; then pass program-closed-by-itself; else fail program-closed-by-itself "Framehaul.exe still runs"; fi
recent=$(timeout 30 wine reg query "$APPKEY\\Recent\\URLs" /v 1 2>/dev/null | tr -d '\r' | grep -o 'http.*')
if [ "$recent" = "$url" ]; then pass address-remembered; else fail address-remembered "Recent\\URLs\\1 is '$recent'"; fi

exit $FAILED
