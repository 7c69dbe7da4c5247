#!/bin/bash
# An edition's setup program in a fresh prefix of its own kind, in one pass: a
# silent install, the same setup again over it (first refused while the
# program runs), a move into a folder with spaces, where Internet Explorer's
# way in (cscript creating "Framehaul.IE") starts the installed program
# that downloads from the stand-in site, and a silent uninstall that leaves
# only the user's settings. Prints the seconds each step took.
#
# Usage: suite-setup.sh BUILD_DIR
# BUILD_DIR is the edition whose setup is tried. Uses the caller's stand-in
# site (FH_SITE_PORT) and display when there are any, never the caller's
# prefix.
set -u
source "$(dirname "$0")/../../scripts/lib/suite.sh"
W=$(cd "${1:?usage: suite-setup.sh BUILD_DIR}" && pwd)

RUN_PID=""
STARTED=$(date +%s)
step() { echo "-- $1 ($(($(date +%s) - STARTED)) s)"; }

APPKEY='HKCU\Software\Quorvane\Framehaul'
UNINSTALL='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Framehaul'
MENUEXT='HKCU\Software\Microsoft\Internet Explorer\MenuExt'
EXTENSION='HKLM\Software\Microsoft\Internet Explorer\Extensions\{5E2C7B10-94D3-4F6A-B8E1-2A7C9D0F3B46}'
CLSID='HKCR\CLSID\{5E2C7B10-94D3-4F6A-B8E1-2A7C9D0F3B46}'
DEFAULT_WIN='C:\Program Files\Framehaul'
SPACES_WIN='C:\Program Files\My Tools\Frame haul'
DOWNLOADS_WIN='C:\fh_setup_downloads'
FILES="Framehaul.exe Snagbar.dll SnagbarPage.html SnagbarLink.html README.txt Uninstall.exe"
# The x64 edition runs only on 64-bit Windows, where it installs the 32-bit
# module for the 32-bit browser too.
ED=$(fh_edition_of "$W")
if [ "$ED" = x64 ]; then FILES="$FILES x86/Snagbar.dll" SUFFIX=-x64 NAME='Framehaul (x64)'
else SUFFIX="" NAME=Framehaul; fi

cleanup() {
  [ -n "$RUN_PID" ] && kill "$RUN_PID" 2>/dev/null
  fh_suite_stop
}
trap cleanup EXIT

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$W/CMakeCache.txt")
setup="$W/dist/Framehaul-Setup-$version$SUFFIX.exe"
dist="$W/dist/Framehaul"
if [ -z "$version" ] || [ ! -f "$setup" ]; then
  echo "FAIL setup-built: no $setup"
  exit 1
fi

unset WINEPREFIX
fh_suite_wine "$W"
# Creating the shortcut must not add a menu entry to the Linux desktop.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
C="$WINEPREFIX/drive_c"
step "prefix ready"
fh_suite_site 600

# A registry value's data as `reg query` shows it, or nothing; in the
# process's own registry view, or the one REG_VIEW names (/reg:32).
REG_VIEW=""
regval() {
  local args=(/v "$2"); [ -z "$2" ] && args=(/ve)
  timeout 30 wine reg query "$1" "${args[@]}" $REG_VIEW 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *[^ ].*  *REG_[A-Z_]*  *//p' | head -1
}
# Each line of input "key|name|data" (name "": the default value): what differs.
values_differ() {
  local key name data got
  while IFS='|' read -r key name data; do
    got=$(regval "$key" "$name")
    [ "$got" = "$data" ] || echo -n " [$key ${name:-(default)}: '$got']"
  done
}
# "$1|pair" for each following pair.
under() { local key=$1 pair; shift; for pair; do echo "$key|$pair"; done; }
haskey() { timeout 30 wine reg query "$1" $REG_VIEW >/dev/null 2>&1; }
unix_path() { echo "$C/${1#C:\\}" | tr '\\' '/'; }

# What the Options dialog writes with everything on, for folder $1: in the
# setup's own registry view, and for the x64 edition in the 32-bit view
# too, where the 32-bit module is registered when 32-bit code runs.
entries_differ() {
  local why module="$1\\x86\\Snagbar.dll"
  why=$(entries_differ_in "$1" "$1\\Snagbar.dll")
  if [ "$ED" = x64 ]; then
    fh_runs_32bit || module=""
    why="$why$(REG_VIEW=/reg:32 entries_differ_in "$1" "$module")"
  fi
  echo "$why"
}
# Folder $1, module $2 registered (none: not checked), in REG_VIEW.
entries_differ_in() {
  local d=$1 count
  values_differ <<EOF
$MENUEXT\\Download Video on This Page||$d\\SnagbarPage.html
$MENUEXT\\Download Video on This Page|Contexts|0x7f
$MENUEXT\\Download Video This Links To||$d\\SnagbarLink.html
$MENUEXT\\Download Video This Links To|Contexts|0x20
$EXTENSION||Framehaul
$EXTENSION|CLSID|{1FBA04EE-3024-11d2-8F1F-0000F87ABD16}
$EXTENSION|Script|$d\\SnagbarPage.html
$EXTENSION|Default Visible|Yes
$EXTENSION|ButtonText|Download Video
$EXTENSION|HotIcon|$d\\Snagbar.dll,202
$EXTENSION|Icon|$d\\Snagbar.dll,201
$EXTENSION|MenuCustomize|Tools
$EXTENSION|MenuText|Download Video on This Page
$EXTENSION|MenuStatusBar|Download video on this web page using Framehaul
$([ -n "$2" ] && echo "$CLSID\\InprocServer32||$2")
EOF
  count=$(timeout 30 wine reg query "$EXTENSION" $REG_VIEW 2>/dev/null | grep -c REG_SZ)
  [ "$count" = 10 ] || echo " [$count values in the extension key${REG_VIEW:+ ($REG_VIEW)}]"
}

# The installed files equal the built ones.
files_differ() {
  local dir; dir=$(unix_path "$1")
  local f why=""
  for f in $FILES; do
    [ -f "$dir/$f" ] || { why="$why $f missing;"; continue; }
    [ "$f" = Uninstall.exe ] || cmp -s "$dir/$f" "$dist/$f" || why="$why $f differs;"
  done
  # No 64-bit module in a 32-bit prefix (and none of that name in the x64 edition).
  [ -e "$dir/x64" ] && why="$why x64 installed;"
  echo "$why"
}

install() {
  timeout 180 wine "$setup" /S >/dev/null 2>&1
}
# /D= takes the rest of the command line unquoted, as a user types it; wine
# would quote an argument with blanks, cmd /c passes the line as it is.
install_to() {
  cp "$setup" "$C/fh-setup.exe"
  timeout 180 wine cmd /c "C:\fh-setup.exe /S /D=$1" >/dev/null 2>&1
}

# The user's own settings, which nothing of the setup may touch.
fh_auto_download_settings "$DOWNLOADS_WIN"
fh_reg add "$APPKEY\\Recent\\URLs" /v 1 /d 'http://www.youtube.com/watch?v=earlier' /f

# 1. Silent install into the default folder.
install; rc=$?
step "silent install"
verdict install-files "$( [ $rc -eq 0 ] || echo "exit $rc;")$(files_differ "$DEFAULT_WIN")"
link="$C/ProgramData/Microsoft/Windows/Start Menu/Programs/Framehaul.lnk"
if [ -f "$link" ] && grep -qa 'Framehaul\\Framehaul.exe' "$link"; then pass start-menu-shortcut
else fail start-menu-shortcut "no $link pointing at Framehaul.exe"; fi
why=$(under "$UNINSTALL" "DisplayName|$NAME" "DisplayVersion|$version" "Publisher|Quorvane" \
  "DisplayIcon|$DEFAULT_WIN\\Framehaul.exe,0" "InstallLocation|$DEFAULT_WIN" "UninstallString|\"$DEFAULT_WIN\\Uninstall.exe\"" \
  "QuietUninstallString|\"$DEFAULT_WIN\\Uninstall.exe\" /S" | values_differ)
size=$(regval "$UNINSTALL" EstimatedSize)
[ $((size)) -gt 100 ] 2>/dev/null || why="$why EstimatedSize='$size'"
verdict add-remove-entry "$why"
verdict install-dir "$(under "$APPKEY" "InstallDir|$DEFAULT_WIN" | values_differ)"
verdict ie-entries-written "$(entries_differ "$DEFAULT_WIN")"

# 2. The same setup again: refused while the installed program runs, then
# an upgrade in place over a damaged copy.
default_dir=$(unix_path "$DEFAULT_WIN")
timeout 120 wine "$DEFAULT_WIN\\Framehaul.exe" >/dev/null 2>&1 &
RUN_PID=$!
program_loaded() { grep -qs 'Framehaul/Framehaul.exe' "/proc/$(pgrep -P "$RUN_PID" | head -1)/maps"; }
fh_poll 200 program_loaded
echo damaged >"$default_dir/README.txt"
install; rc=$?
if [ $rc -ne 0 ] && [ "$(cat "$default_dir/README.txt")" = damaged ]; then pass setup-refused-while-running
else fail setup-refused-while-running "exit $rc, README.txt $(head -c 20 "$default_dir/README.txt")"; fi
kill "$RUN_PID" 2>/dev/null; wait "$RUN_PID" 2>/dev/null; RUN_PID=""
fh_poll 100 fh_ended 'Files.Framehaul.Framehaul\.exe'
install; rc=$?
step "install over it"
why=$(files_differ "$DEFAULT_WIN")$(under "$UNINSTALL" "InstallLocation|$DEFAULT_WIN" | values_differ)
verdict upgrade-in-place "$( [ $rc -eq 0 ] || echo "exit $rc;")$why"

# 3. Moved into a folder with spaces: the copy before is removed, and every
# path that leads to the program names the new folder.
install_to "$SPACES_WIN"; rc=$?
step "install into a folder with spaces"
why=$(files_differ "$SPACES_WIN")
[ -e "$default_dir" ] && why="$why $DEFAULT_WIN still there;"
why="$why$(under "$APPKEY" "InstallDir|$SPACES_WIN" | values_differ)"
why="$why$(under "$UNINSTALL" "InstallLocation|$SPACES_WIN" | values_differ)$(entries_differ "$SPACES_WIN")"
verdict folder-with-spaces "$( [ $rc -eq 0 ] || echo "exit $rc;")$why"

# As Internet Explorer's pages do: the installed module starts the program
# from InstallDir, which saves the video and closes (AutoClose).
url='http://www.youtube.com/watch?v=sample'
why=$(fh_call_download 'wine cscript' = "$url")
fh_sample_saved "$(unix_path "$DOWNLOADS_WIN")/Sample clip.flv" || why="$why no identical 'Sample clip.flv';"
fh_poll 300 fh_ended 'Frame haul.Framehaul\.exe'
verdict browser-starts-installed-program "$why"
step "download started from the module"

# 4. Silent uninstall. The uninstaller runs from a copy in the temporary
# folder and returns at once: the folder goes last.
spaces_dir=$(unix_path "$SPACES_WIN")
timeout 60 wine "$SPACES_WIN\\Uninstall.exe" /S >/dev/null 2>&1
fh_poll 600 test ! -e "$spaces_dir"
fh_poll 100 fh_ended '~nsu'
step "silent uninstall"
why=""
[ -e "$spaces_dir" ] && why="$why $(ls "$spaces_dir" | tr '\n' ' ') left in the folder;"
[ -e "$link" ] && why="$why shortcut left;"
for key in "$UNINSTALL" "$MENUEXT\\Download Video on This Page" "$MENUEXT\\Download Video This Links To" \
           "$EXTENSION" "$CLSID" 'HKCR\Framehaul.IE'; do
  haskey "$key" && why="$why $key left;"
done
if [ "$ED" = x64 ]; then
  for key in "$EXTENSION" "$CLSID"; do REG_VIEW=/reg:32 haskey "$key" && why="$why $key left in the 32-bit view;"; done
fi
[ -n "$(regval "$APPKEY" InstallDir)" ] && why="$why InstallDir left;"
verdict uninstall-removes-everything "$why"
# The program put the address it was sent before the one of earlier.
if [ "$(regval "$APPKEY\\Settings" DefaultFolder)" = "$DOWNLOADS_WIN" ] &&
   [ "$(regval "$APPKEY\\Recent\\URLs" 1)" = "$url" ] &&
   [ "$(regval "$APPKEY\\Recent\\URLs" 2)" = 'http://www.youtube.com/watch?v=earlier' ]; then pass uninstall-keeps-settings
else fail uninstall-keeps-settings "Settings or Recent\\URLs changed"; fi

echo "suite took $(($(date +%s) - STARTED)) s"
exit $FAILED
