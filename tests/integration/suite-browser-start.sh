#!/bin/bash
# From the browser to a file: Snagbar.dll registered with regsvr32 from an
# install folder, a script creates "Framehaul.IE" and calls DownloadVideo as
# Internet Explorer's pages do, and the real Framehaul.exe it starts
# downloads the video from the stand-in site and closes by itself.
#
# Usage: suite-browser-start.sh BUILD_DIR
# BUILD_DIR is the edition under test, whose module and program are used
# with the regsvr32 and cscript of their kind. Runs in the caller's Wine
# environment (WINEPREFIX, FH_SITE_PORT); without one it starts its own,
# and the stand-in site too.
set -u
source "$(dirname "$0")/../../scripts/lib/suite.sh"
W=$(cd "${1:?usage: suite-browser-start.sh BUILD_DIR}" && pwd)

APPKEY='HKCU\Software\Quorvane\Framehaul'
INSTALL_WIN='C:\Framehaul Browser Test'
DOWNLOADS_WIN='C:\fh_browser_downloads'

cleanup() {
  if [ -n "${WINEPREFIX:-}" ]; then
    timeout 30 wine regsvr32 /s /u "$INSTALL_WIN\\Snagbar.dll" >/dev/null 2>&1
    fh_reg delete "$APPKEY" /f
    fh_reg add "$FH_INTERNET" /v ProxyEnable /t REG_DWORD /d 0 /f
    rm -rf "$WINEPREFIX/drive_c/Framehaul Browser Test" "$WINEPREFIX/drive_c/fh_browser_downloads"
  fi
  fh_suite_stop
}
trap cleanup EXIT
fh_suite_wine "$W"
fh_suite_site 300

install="$WINEPREFIX/drive_c/Framehaul Browser Test"
mkdir -p "$install" "$WINEPREFIX/drive_c/fh_browser_downloads"
cp "$W/app/Framehaul.exe" "$W/extension/Snagbar.dll" "$install/"

if timeout 60 wine regsvr32 /s "$INSTALL_WIN\\Snagbar.dll" >/dev/null 2>&1 &&
   timeout 30 wine reg query 'HKCR\Framehaul.IE\CLSID' >/dev/null 2>&1; then
  pass register-module
else
  fail register-module "regsvr32 did not register Framehaul.IE"
fi

fh_auto_download_settings "$DOWNLOADS_WIN"
url='http://www.youtube.com/watch?v=sample'
verdict call-download-video "$(fh_call_download 'wine cscript' "$INSTALL_WIN" "$url")"

file="$WINEPREFIX/drive_c/fh_browser_downloads/Sample clip.flv"
if fh_sample_saved "$file"; then pass program-downloaded-the-video
else fail program-downloaded-the-video "no identical $file"; fi
if fh_poll 300 fh_ended 'Framehaul Browser Test.Framehaul\.exe'; then pass program-closed-by-itself
else fail program-closed-by-itself "Framehaul.exe still runs"; fi
recent=$(timeout 30 wine reg query "$APPKEY\\Recent\\URLs" /v 1 2>/dev/null | tr -d '\r' | grep -o 'http.*')
verdict address-remembered "$([ "$recent" = "$url" ] || echo "Recent\\URLs\\1 is '$recent'")"

exit $FAILED
