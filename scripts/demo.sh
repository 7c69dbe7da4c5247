#!/usr/bin/env bash
# The main job, for a first look: builds the program and runs it under Wine
# on a private display, and leaves a screenshot.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib/wine-env.sh"
trap fh_wine_stop EXIT
cd "$root"
bash scripts/build.sh >/dev/null || { echo "build failed" >&2; exit 1; }
FH_FORCE_XVFB=1 fh_wine_start || exit 1
shots="$root/build/screenshots"
mkdir -p "$shots"
timeout 60 wine build/win/app/Framehaul.exe /? &
pid=$!
sleep 4
import -window root "$shots/usage.png"
kill "$pid" 2>/dev/null
echo "Screenshot of the usage message: $shots/usage.png"
