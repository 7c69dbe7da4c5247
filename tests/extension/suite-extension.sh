#!/bin/bash
# Checks Snagbar.dll under Wine: exports, class object and resources,
# registration in both registry views, DownloadVideo with a stand-in
# Framehaul.exe, the two HTML pages' scripts, the dist packaging, and the
# program's Internet Explorer entries as written on 64-bit Windows.
#
# Usage: suite-extension.sh BUILD_DIR OTHER_BUILD_DIR
# BUILD_DIR is the edition under test (its module, stand-in and probe run in
# the caller's prefix of that edition's kind: WINEPREFIX, DISPLAY; without
# one the suite starts its own); OTHER_BUILD_DIR the other edition, whose
# module the package carries. Both modules together are tried in a 64-bit
# prefix: the caller's for the x64 edition, one of the suite's own for x86.
# What needs 32-bit code is skipped where the machine runs none.
set -u
source "$(dirname "$0")/../../scripts/lib/suite.sh"
W=$(cd "${1:?usage: suite-extension.sh BUILD_DIR OTHER_BUILD_DIR}" && pwd)
WO=${2:-}
[ -n "$WO" ] && [ -d "$WO" ] && WO=$(cd "$WO" && pwd)

CLSID='{5E2C7B10-94D3-4F6A-B8E1-2A7C9D0F3B46}'
LIBID='{8B41D2E7-3C95-4A06-9F28-E17B5C3A0D92}'
IID='{C36B3DEA-9D8C-4A2A-81A1-E934C4B8A1E8}'
WATCH='http://www.youtube.com/watch?v=abc'
WINE32=/usr/lib/wine/wine
WINE64=$FH_WINE64
PREFIX64=""
APPKEY='HKCU\Software\Quorvane\Framehaul'
SAVED_DIR=""
C_DIR=""
NO32="this machine runs no 32-bit code"

# The caller's prefix is shared with other suites: put back what was changed.
restore_prefix() {
  [ -n "$C_DIR" ] || return
  if [ -n "$SAVED_DIR" ]; then fh_reg add "$APPKEY" /v InstallDir /d "$SAVED_DIR" /f
  else fh_reg delete "$APPKEY" /v InstallDir /f; fi
  rm -rf "$C_DIR" "$WINEPREFIX/drive_c/Framehaul.exe" "$WINEPREFIX/drive_c/calls.txt"
}

cleanup() {
  [ -z "$FH_SUITE_OWN_WINE" ] && restore_prefix
  if [ -n "$PREFIX64" ] && [ "$PREFIX64" != "$WINEPREFIX" ]; then
    WINEPREFIX=$PREFIX64 timeout 30 "$FH_WINESERVER64" -k >/dev/null 2>&1
    rm -rf "$PREFIX64"
  fi
  fh_suite_stop
}
trap cleanup EXIT
fh_suite_wine "$W"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# This edition's module is of its own kind, 32 or 64 bits; the other's of
# the other kind.
ED=$(fh_edition_of "$W")
if [ "$ED" = x64 ]; then OWN=64 OTHER=32; else OWN=32 OTHER=64; fi
OTHER_ED=$(fh_edition_of "$WO")
DLL=$W/extension/Snagbar.dll
DLL_OTHER=$WO/extension/Snagbar.dll
STANDIN=$W/tests/extension/standin/Framehaul.exe
PROBE=$W/tests/extension/SnagbarProbe.exe
for f in "$DLL" "$STANDIN" "$PROBE"; do
  [ -f "$f" ] || { echo "FAIL build: $f missing (build target snagbar_tests)"; exit 1; }
done
objdump_of() { if [ "$1" = 64 ]; then echo x86_64-w64-mingw32-objdump; else echo i686-w64-mingw32-objdump; fi; }
module_of() { if [ "$1" = "$OWN" ]; then echo "$DLL"; else echo "$DLL_OTHER"; fi; }

winpath() { echo "Z:${1//\//\\}"; }

# ---------------------------------------------------------------- exports
# Names, in ordinal order from 1, exactly the four COM entry points.
exports_differ() {
  local table want=$'[Ordinal/Name Pointer] Table\n[ 0] DllCanUnloadNow\n[ 1] DllGetClassObject\n[ 2] DllRegisterServer\n[ 3] DllUnregisterServer'
  [ -f "$2" ] || { echo "no module at $2"; return; }
  table=$("$1" -p "$2" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' | tr -s ' \t' ' ')
  [ "$(echo "$table" | sed '/^ *$/d; s/^ //')" = "$want" ] || { echo "export table is: $(echo "$table" | tr '\n' ';')"; return; }
  "$1" -p "$2" | grep -q 'Ordinal Base 1$' || echo "ordinals do not start at 1"
}
for bits in 32 64; do verdict "exports-$bits" "$(exports_differ "$(objdump_of $bits)" "$(module_of $bits)")"; done

# ---------------------------------------------------------------- probe and pages
# Both print their own PASS/FAIL lines; a crash shows as a bad exit code.
relay() {
  local name=$1 out rc
  shift
  out=$(timeout 60 "$@" 2>&1 | tr -d '\r'; exit "${PIPESTATUS[0]}")
  rc=$?
  echo "$out" | grep -E '^(PASS|FAIL) '
  [ "$rc" = 0 ] && return
  FAILED=1
  echo "$out" | grep -q '^FAIL ' || echo "FAIL $name: exit code $rc: $(echo "$out" | tail -n 3 | tr '\n' ';')"
}
relay probe wine "$(winpath "$PROBE")" "$(winpath "$DLL")"
relay page-scripts wine cscript //nologo "$(winpath "$HERE/pages-test.js")" "$(winpath "$ROOT/extension")"

# ---------------------------------------------------------------- registry helpers
# A key tree as sorted "key|name|type|data" lines; "" when it is missing.
# $1: the Wine loader, which picks the registry view.
reg_tree() {
  timeout 30 "$1" reg query "$2" /s 2>/dev/null | tr -d '\r' | awk '
    /^HKEY_/ { key = $0; print key; next }
    /^    / { sub(/^    /, ""); gsub(/    /, "|"); print key "|" $0 }' | sort
}
# $3: /reg:32 or /reg:64 picks a view.
reg_exists() { timeout 30 "$1" reg query "$2" ${3:-} >/dev/null 2>&1; }

# The class key as registration must leave it for the module at $1.
class_tree() {
  local k="HKEY_CLASSES_ROOT\\CLSID\\$CLSID"
  printf '%s\n' "$k" "$k|(Default)|REG_SZ|FramehaulIE Class" \
    "$k\\InprocServer32" "$k\\InprocServer32|(Default)|REG_SZ|$1" \
    "$k\\InprocServer32|ThreadingModel|REG_SZ|Apartment" \
    "$k\\ProgID" "$k\\ProgID|(Default)|REG_SZ|Framehaul.IE.1" \
    "$k\\Programmable" \
    "$k\\TypeLib" "$k\\TypeLib|(Default)|REG_SZ|$LIBID" \
    "$k\\VersionIndependentProgID" "$k\\VersionIndependentProgID|(Default)|REG_SZ|Framehaul.IE" | sort
}
progid_trees() {
  local a='HKEY_CLASSES_ROOT\Framehaul.IE' b='HKEY_CLASSES_ROOT\Framehaul.IE.1'
  printf '%s\n' "$a" "$a|(Default)|REG_SZ|FramehaulIE Class" \
    "$a\\CLSID" "$a\\CLSID|(Default)|REG_SZ|$CLSID" \
    "$a\\CurVer" "$a\\CurVer|(Default)|REG_SZ|Framehaul.IE.1" \
    "$b" "$b|(Default)|REG_SZ|FramehaulIE Class" \
    "$b\\CLSID" "$b\\CLSID|(Default)|REG_SZ|$CLSID" | sort
}

# Every entry registration writes, for the module at $2 ($3: win32/win64),
# seen through loader $1. Prints what differs; nothing when all is right.
registered_diff() {
  local got typelib
  got=$(reg_tree "$1" "HKCR\\CLSID\\$CLSID")
  [ "$got" = "$(class_tree "$2")" ] || { echo "class key: $(echo "$got" | tr '\n' ';')"; return; }
  got=$( (reg_tree "$1" 'HKCR\Framehaul.IE'; reg_tree "$1" 'HKCR\Framehaul.IE.1') | sort)
  [ "$got" = "$(progid_trees)" ] || { echo "ProgID keys: $(echo "$got" | tr '\n' ';')"; return; }
  typelib=$(timeout 30 "$1" reg query "HKCR\\TypeLib\\$LIBID\\1.0\\0\\$3" /ve 2>/dev/null | tr -d '\r' \
    | sed -n 's/^ *(Default) *REG_SZ *//p')
  [ "$typelib" = "$2" ] || { echo "type library $3 entry is '$typelib'"; return; }
  # Marshaling of IFramehaulIE needs its interface key.
  timeout 30 "$1" reg query "HKCR\\Interface\\$IID\\TypeLib" /ve 2>/dev/null | grep -q "$LIBID" \
    || echo "interface key missing"
}

# What unregistering must remove, seen through loader $1.
leftovers() {
  local k
  for k in 'HKCR\Framehaul.IE' 'HKCR\Framehaul.IE.1' "HKCR\\CLSID\\$CLSID" "HKCR\\TypeLib\\$LIBID" \
           "HKCR\\Interface\\$IID"; do
    reg_exists "$1" "$k" && echo -n "$k "
  done
}

# ---------------------------------------------------------------- registration of this edition's module
SAVED_DIR=$(timeout 30 wine reg query "$APPKEY" /v InstallDir 2>/dev/null | tr -d '\r' | sed -n 's/^ *InstallDir *REG_SZ *//p')
C_DIR="$WINEPREFIX/drive_c/Program Files/Frame haul Test"
C_WIN='C:\Program Files\Frame haul Test'
mkdir -p "$C_DIR"
cp "$DLL" "$STANDIN" "$C_DIR/"
regsvr() { timeout 120 "$@" >/dev/null 2>&1; }

register_own() {
  regsvr wine regsvr32 /s "$C_WIN\\Snagbar.dll" || { echo "regsvr32 failed"; return; }
  registered_diff wine "$C_WIN\\Snagbar.dll" "win$OWN"
}
verdict "register-$OWN" "$(register_own)"
# A stale class key from an older version is replaced whole.
fh_reg add "HKCR\\CLSID\\$CLSID\\Stale" /v Old /d x /f
fh_reg add "HKCR\\CLSID\\$CLSID" /v Old /d x /f
verdict reregister-replaces-class-key "$(register_own)"

# ---------------------------------------------------------------- DownloadVideo
RECORD="$C_DIR/calls.txt"

wait_record() { fh_poll 100 test -s "$RECORD"; }

# DownloadVideo through cscript $1, InstallDir $2, link $3, which must start
# the program once; prints why not.
started_once() {
  rm -f "$RECORD"
  fh_call_download "$@" || return
  wait_record || { echo "program not started within 10 s"; return; }
  [ "$(wc -l <"$RECORD")" = 1 ] || echo "started more than once"
}

# Fields of the record: show command, argument count, raw arguments, first
# argument. $1 name, $2 InstallDir, $3 link (encoded), $4 raw arguments, $5
# first argument.
expect_start() {
  local why line want
  why=$(started_once 'wine cscript' "$2" "$3")
  line=$(head -n 1 "$RECORD" 2>/dev/null)
  want=$(printf '5\t1\t%s\t%s' "$4" "$5")
  [ -n "$why" ] || [ "$line" = "$want" ] ||
    why="started with [$(echo "$line" | head -c 300)], want [$(echo "$want" | head -c 300)]"
  verdict "$1" "$why"
}

expect_start download-plain "$C_WIN" "$WATCH" "\"$WATCH\"" "$WATCH"
expect_start download-empty-link "$C_WIN" "" '""' ""
# A page must not be able to end the argument early or add switches.
expect_start download-link-with-quotes "$C_WIN" 'http://x/?a=%22b%22%20/evil%20%22c' \
  '"http://x/?a=%22b%22 /evil %22c"' 'http://x/?a=%22b%22 /evil %22c'
expect_start download-trailing-backslash "$C_WIN" 'http://x/a%5C%5C' \
  '"http://x/a\\\\"' 'http://x/a\\'
# Far longer than a 1,024-byte buffer, just within the command-line bound.
LONG=$(printf '%s%*s' "$WATCH" $((31900 - ${#WATCH})) '' | tr ' ' x)
expect_start download-long-link "$C_WIN" "$WATCH*31900" "\"$LONG\"" "$LONG"
# The link reaches the program whole, 中 too, which the browser's code page
# 1252 lacks; the program reads it in UTF-8.
expect_start download-non-ansi "$C_WIN" 'http://x/%C3%A9%E4%B8%AD' \
  "\"http://x/$(printf '\xc3\xa9\xe4\xb8\xad')\"" "http://x/$(printf '\xc3\xa9\xe4\xb8\xad')"

# In code page 932 the second byte of 表 is 0x5C, a backslash to a byte
# scanner: from a browser in that code page the link still arrives whole.
# (bash itself has no such locale and says so; Wine needs none.)
why=$( { LC_ALL=ja_JP.UTF-8 started_once 'wine cscript' "$C_WIN" 'http://x/%E8%A1%A8'; } 2>/dev/null)
[ -n "$why" ] || [ "$(cut -f3 "$RECORD" | od -An -tx1 | tr -d ' \n')" = "$(printf '"http://x/\xe8\xa1\xa8"\n' | od -An -tx1 | tr -d ' \n')" ] ||
  why="arguments were: $(cut -f3 "$RECORD" | od -An -c | tr -s ' ')"
verdict download-dbcs-trail-byte "$why"

# Calls that must start nothing and still succeed. Each link names its case,
# so a start that should not have happened shows which call made it. They
# run in C:\ beside a stand-in, which an empty folder name would reach.
rm -f "$RECORD" "$WINEPREFIX/drive_c/calls.txt"
cp "$STANDIN" "$WINEPREFIX/drive_c/"
why=""
nothing() { local r; r=$(cd "$WINEPREFIX/drive_c" && fh_call_download 'wine cscript' "$@") || why="$why $2: $r;"; }
nothing - 'http://x/?case=no-installdir'
nothing '' 'http://x/?case=empty-installdir'
nothing - 'http://x/?case=hklm-only' "$C_WIN"
nothing "$C_WIN" 'http://x/?case=link-too-long*40000'
nothing "$C_WIN%5Cdeeper*2000" 'http://x/?case=installdir-2000'
nothing "$C_WIN%5Cdeeper*40000" 'http://x/?case=installdir-40000'
timeout 30 wine reg delete 'HKLM\Software\Quorvane\Framehaul' /v InstallDir /f >/dev/null 2>&1
sleep 3
[ -f "$RECORD" ] || [ -f "$WINEPREFIX/drive_c/calls.txt" ] &&
  why="$why program started: $(cat "$RECORD" "$WINEPREFIX/drive_c/calls.txt" 2>/dev/null | cut -f3 | cut -c1-120 | tr '\n' ';')"
verdict download-refused-quietly "$why"

# ---------------------------------------------------------------- unregistration
unregister_own() {
  regsvr wine regsvr32 /u /s "$C_WIN\\Snagbar.dll" || { echo "regsvr32 /u failed"; return; }
  local left; left=$(leftovers wine)
  [ -z "$left" ] || { echo "left behind: $left"; return; }
  regsvr wine regsvr32 /u /s "$C_WIN\\Snagbar.dll" || echo "a second regsvr32 /u failed"
}
verdict "unregister-$OWN" "$(unregister_own)"

# ---------------------------------------------------------------- dist packaging
# The packaging script, run into a scratch folder with the stand-in as the
# program, must produce the install layout with each module of its kind.
kind_of() { if [ "$1" = 64 ]; then echo pei-x86-64; else echo pei-i386; fi; }
dist_differs() {
  local listing want zip="Framehaul$([ "$ED" = x64 ] && echo -x64).zip" toolchain=i686
  [ -f "$WO/CMakeCache.txt" ] || { echo "no $OTHER_ED build in '$WO'"; return; }
  [ "$OTHER_ED" = x64 ] && toolchain=x86_64
  timeout 600 cmake -DDIST_DIR="$1" -DPROGRAM="$STANDIN" -DMODULE="$DLL" -DEDITION="$ED" -DOTHER_EDITION="$OTHER_ED" \
    -DOTHER_DIR="$WO" -DOTHER_TOOLCHAIN="$ROOT/cmake/mingw-$toolchain.cmake" -DZIP="$zip" \
    -DSOURCE_DIR="$ROOT" -P "$ROOT/extension/Dist.cmake" >/dev/null 2>&1 || { echo "the packaging script failed"; return; }
  listing=$(unzip -Z1 "$1/$zip" 2>/dev/null | grep -v '/$' | sort)
  want=$(printf '%s\n' Framehaul/Framehaul.exe Framehaul/README.txt Framehaul/Snagbar.dll \
    Framehaul/SnagbarLink.html Framehaul/SnagbarPage.html "Framehaul/$OTHER_ED/Snagbar.dll" | sort)
  [ "$listing" = "$want" ] || { echo "$zip holds: $(echo "$listing" | tr '\n' ' ')"; return; }
  x86_64-w64-mingw32-objdump -f "$1/Framehaul/Snagbar.dll" | grep -q "$(kind_of $OWN)" &&
    x86_64-w64-mingw32-objdump -f "$1/Framehaul/$OTHER_ED/Snagbar.dll" | grep -q "$(kind_of $OTHER)" ||
    echo "a module is not of its platform"
  grep -q "^$OTHER_ED.Snagbar.dll *the same module for $OTHER-bit" "$1/Framehaul/README.txt" ||
    echo "README.txt does not name the $OTHER-bit module"
}
scratch=$(mktemp -d /tmp/fh-dist.XXXXXX)
verdict dist "$(dist_differs "$scratch")"
rm -rf "$scratch"

# ---------------------------------------------------------------- 64-bit Windows, both modules
# The install folder as this edition lays it out on 64-bit Windows: its own
# module, the other kind's in a subfolder named after the other edition.
# Each is registered by the regsvr32 of its kind, and each kind's script
# host creates the object through its own view.
if [ ! -f "$DLL_OTHER" ]; then
  fail both-modules "no $OTHER-bit module at $DLL_OTHER"
  exit 1
fi

if [ "$ED" = x64 ]; then
  PREFIX64=$WINEPREFIX
else
  PREFIX64=$(mktemp -d /tmp/fh-wine64.XXXXXX)
fi
run64() { WINEPREFIX=$PREFIX64 WINEARCH=win64 WINESERVER=$FH_WINESERVER64 "$@"; }
if [ "$PREFIX64" != "$WINEPREFIX" ]; then
  run64 timeout 180 "$WINE64" wineboot -i >/dev/null 2>&1
  run64 timeout 60 "$FH_WINESERVER64" -w >/dev/null 2>&1
  run64 "$FH_WINESERVER64" -p >/dev/null 2>&1
  run64 timeout 60 "$WINE64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
fi
I_DIR="$PREFIX64/drive_c/Frame haul"
I_WIN='C:\Frame haul'
mkdir -p "$I_DIR/$OTHER_ED"
cp "$DLL" "$STANDIN" "$I_DIR/"
cp "$DLL_OTHER" "$I_DIR/$OTHER_ED/"
RECORD="$I_DIR/calls.txt"
REG64="C:\\windows\\system32\\regsvr32.exe"
CSCRIPT64="C:\\windows\\system32\\cscript.exe"
# Where each kind's module is in the install folder.
if [ "$ED" = x64 ]; then M64="$I_WIN\\Snagbar.dll" M32="$I_WIN\\x86\\Snagbar.dll"
else M32="$I_WIN\\Snagbar.dll" M64="$I_WIN\\x64\\Snagbar.dll"; fi

# $1 32|64: creates the object from that kind of cscript; prints why not.
works() {
  local why link="http://x/?from=$1" cscript="$WINE32 cscript"
  [ "$1" = 64 ] && cscript="$WINE64 $CSCRIPT64"
  rm -f "$RECORD"
  why=$(run64 fh_call_download "$cscript" "$I_WIN" "$link") || { echo "$1-bit call: $why"; return; }
  wait_record || { echo "$1-bit call started nothing"; return; }
  [ "$(cut -f4 "$RECORD")" = "$link" ] || echo "$1-bit call passed $(cut -f4 "$RECORD")"
}
broken() { [ -n "$(works "$1")" ] || echo "the $1-bit object can still be created"; }
# $1 32|64: that kind of regsvr32 on its module; $2 /u unregisters.
regsvr_module() {
  if [ "$1" = 64 ]; then run64 regsvr "$WINE64" "$REG64" /s ${2:-} "$M64"
  else run64 regsvr "$WINE32" regsvr32 /s ${2:-} "$M32"; fi
}
# Why the modules named (32, 64) are not registered whole in their views or
# their objects start nothing; nothing when all is right.
usable() {
  local bits why
  for bits; do
    if [ "$bits" = 64 ]; then why=$(run64 registered_diff "$WINE64" "$M64" win64)
    else why=$(run64 registered_diff "$WINE32" "$M32" win32); fi
    [ -z "$why" ] && why=$(works "$bits")
    [ -n "$why" ] && { echo "$why"; return; }
  done
}

why=$(regsvr_module 64 || echo "64-bit regsvr32 failed;")
# The 32-bit view must not get the 64-bit module.
run64 reg_exists "$WINE64" "HKCR\\CLSID\\$CLSID" /reg:32 &&
  why="$why class registered in the 32-bit view"
verdict register-64 "${why:-$(usable 64)}"
if fh_runs_32bit; then
  why=$(regsvr_module 32 || echo "32-bit regsvr32 failed")
  verdict both-registered "${why:-$(usable 32 64)}"
  regsvr_module 32 /u
  verdict unregister-32-keeps-64 "$(usable 64)$(broken 32)"
  regsvr_module 32
  regsvr_module 64 /u
  verdict unregister-64-keeps-32 "$(usable 32)$(broken 64)"
  regsvr_module 32 /u
else
  for check in both-registered unregister-32-keeps-64 unregister-64-keeps-32; do
    skip "$check" "$NO32 (the 32-bit regsvr32 and cscript)"
  done
  regsvr_module 64 /u
fi
left="$(run64 leftovers "$WINE64")"
fh_runs_32bit && left="$left$(run64 leftovers "$WINE32")"
verdict unregister-both "${left:+left behind: $left}"

# ---------------------------------------------------------------- the x86 program's entries on 64-bit Windows
# The x86 program's own tests of its browser entries, run by its test
# program in this prefix: there both registry views exist, and Apply must
# fill and clean both and start both regsvr32s. Each case is one check; a
# skipped case means the program did not see 64-bit Windows. (The x64
# program's run in its own prefix, with the x64 edition's tests.)
wow64_entries() {
  local exe=$W/tests/browser/browser_tests.exe log=$PREFIX64/browser_tests.log rc
  [ -f "$exe" ] || { fail wow64-entries "$exe missing (build target browser_tests)"; return; }
  (cd "$(dirname "$exe")" && run64 timeout 300 "$WINE32" browser_tests.exe \
     --gtest_filter='BrowserIntegrationTest.*:RegistrationTest.*' >"$log" 2>&1)
  rc=$?
  tr -d '\r' <"$log" | sed -n -e 's/^\[       OK \] \([^ ]*\).*/PASS wow64-\1/p' \
    -e 's/^\[  FAILED  \] \([^ ]*\) (.*/FAIL wow64-\1: see the lines below/p' \
    -e 's/^\[  SKIPPED \] \([^ ]*\) (.*/FAIL wow64-\1: skipped, so not run as on 64-bit Windows/p'
  if [ "$rc" != 0 ] || ! grep -q '^\[  PASSED  \]' "$log"; then
    FAILED=1
    tr -d '\r' <"$log" | grep -vE '^\[ *(RUN|OK) ' | tail -n 40
    grep -qE '^\[  (FAILED|SKIPPED) \] [^ ]* \(' "$log" || fail wow64-entries "exit code $rc"
  fi
}
[ "$ED" = x86 ] && wow64_entries

exit $FAILED
