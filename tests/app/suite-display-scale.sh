#!/bin/bash
# The windows at 150 % and 200 % (LogPixels 144 and 192): the screen checks
# of every state of the main window, the About box and the file-exists
# dialog, and the scale checks of links, banner, fonts and cursor, each run
# once per scale. Screenshots go to <FH_SCREENSHOT_ROOT>/<dpi>/ (the test
# run at 96 dpi puts its own in <FH_SCREENSHOT_ROOT>/96/; by default
# build/screenshots/<edition>).
# Prints "PASS <name>" or "FAIL <name>: <why>".
#
# Usage: suite-display-scale.sh BUILD_DIR
# Runs the edition built in BUILD_DIR in the caller's Wine environment
# (WINEPREFIX, FH_SITE_PORT).
set -u
HERE=$(cd "$(dirname "$0")" && pwd)
ROOT=$(cd "$HERE/../.." && pwd)
W=$(cd "${1:?usage: suite-display-scale.sh BUILD_DIR}" && pwd)
source "$ROOT/scripts/lib/wine-env.sh"
[ -n "${WINEPREFIX:-}" ] && [ -n "${FH_SITE_PORT:-}" ] || { echo "FAIL environment: run from scripts/test.sh"; exit 1; }

DESKTOP='HKCU\Control Panel\Desktop'
# Wine reads the scale when a process starts; put 100 % back whatever happens.
trap 'fh_reg add "$DESKTOP" /v LogPixels /t REG_DWORD /d 96 /f' EXIT

run() {  # name dir program filter
  local name=$1 dir=$2 program=$3 filter=$4 log
  log=$(cd "$dir" && timeout -k 10 300 wine "$program" --gtest_filter="$filter" 2>&1 | tr -d '\r')
  # A filter that matches no test passes "0 tests": that is a failure too.
  if echo "$log" | grep -q '^\[  PASSED  \] [1-9]' && ! echo "$log" | grep -q '^\[  FAILED  \]'; then
    echo "PASS $name"
  else
    echo "$log" | grep -E 'Failure|Which is|Actual|Expected|^\{' | head -20
    echo "FAIL $name: see above"
  fi
}

for dpi in 144 192; do
  fh_reg add "$DESKTOP" /v LogPixels /t REG_DWORD /d "$dpi" /f
  shots="${FH_SCREENSHOT_ROOT:-$ROOT/build/screenshots/$(fh_edition_of "$W")}/$dpi"
  mkdir -p "$shots"
  export FH_SCREENSHOT_DIR="Z:${shots//\//\\}"
  run "main-window-states-$dpi" "$W/tests/app" main_window_tests.exe '*EveryStateShowsItsTextsOnScreen:*TheAboutBoxIsModal*'
  run "links-banner-fonts-cursor-$dpi" "$W/tests/controls" controls_tests.exe 'DisplayScale*'
done
