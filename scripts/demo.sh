#!/usr/bin/env bash
# The main job: builds the program, starts the stand-in video site on
# 127.0.0.1, and runs Framehaul.exe under Wine with a sample watch address:
# the x86 edition, or the x64 edition where the machine runs no 32-bit code
# (or FH_X64_ONLY=1 asks for it).
# The program downloads the video through the proxy setting into a folder
# of its own, then closes by itself. Prints where the file and a screenshot
# taken during the download are.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib/wine-env.sh"
. "$root/scripts/lib/site.sh"
cleanup() {
  fh_site_stop
  fh_wine_stop
}
trap cleanup EXIT
cd "$root"
echo "Building..."
bash scripts/build.sh >build-demo.log 2>&1 || { tail -20 build-demo.log; echo "build failed (see build-demo.log)" >&2; exit 1; }
rm -f build-demo.log
out="$root/build/demo"
rm -rf "$out"; mkdir -p "$out/downloads"

echo "Starting the stand-in site..."
if ! fh_site_start "$out" 600 --pages "$root/tests/sitepages"; then
  echo "The demo needs the stand-in site; it did not come up (see $out/site.log)." >&2
  exit 1
fi
port=$FH_SITE_PORT
fh_use_edition "$(fh_default_edition)"
why=$(fh_why_x64_only)
echo "Running the $FH_EDITION edition ($FH_BUILD)${why:+: $why}"
echo "Starting Wine..."
fh_wine_start || exit 1

settings='HKCU\Software\Quorvane\Framehaul\Settings'
fh_reg add "$settings" /v DefaultFolder /d "$(winepath -w "$out/downloads")" /f
fh_reg add "$settings" /v AutoStart /t REG_DWORD /d 1 /f
fh_reg add "$settings" /v AutoClose /t REG_DWORD /d 1 /f
internet='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
fh_reg add "$internet" /v ProxyEnable /t REG_DWORD /d 1 /f
fh_reg add "$internet" /v ProxyServer /d "127.0.0.1:$port" /f

url="http://www.youtube.com/watch?v=demo"
echo "Downloading $url (the stand-in site answers for www.youtube.com on 127.0.0.1:$port)"
timeout 120 wine "$FH_BUILD/app/Framehaul.exe" "$url" &
pid=$!
sleep 2.5
import -window root "$out/screenshot.png" 2>/dev/null
wait "$pid"
rc=$?
file="$out/downloads/Framehaul demo clip.flv"
if [ -f "$file" ]; then
  echo "Downloaded: $file ($(stat -c %s "$file") bytes)"
else
  echo "No file was downloaded (Framehaul exited $rc)." >&2
fi
echo "Screenshot taken during the download: $out/screenshot.png"
[ -f "$file" ]
