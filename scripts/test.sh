#!/usr/bin/env bash
# Builds everything and runs every test: the native tests and a short fuzz
# run, then the Windows tests under Wine in a private, throwaway prefix on a
# private X display, with the stand-in video site running on 127.0.0.1.
# Ends with one line "N passed, N failed"; exits non-zero on any failure.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib/wine-env.sh"
. "$root/scripts/lib/site.sh"
. "$root/scripts/lib/test-ca.sh"
logs="$root/build/test-logs"
passed=0
failed=0

finish() {
  fh_site_stop
  fh_wine_stop
}
trap finish EXIT
trap 'exit 130' INT TERM

fail_one() { failed=$((failed + 1)); echo "FAILED: $*"; }

# Runs a GoogleTest program with a time limit and adds up its results. A
# program that crashes or times out before its summary counts as a failure.
# Usage: run_gtest NAME SECONDS DIR COMMAND...
run_gtest() {
  local name=$1 limit=$2 dir=$3; shift 3
  local log="$logs/$name.log"
  echo "== $name"
  (cd "$dir" && timeout -k 10 "$limit" "$@") >"$log" 2>&1
  local rc=$?
  local ok bad
  ok=$(tr -d '\r' <"$log" | sed -n 's/^\[  PASSED  \] \([0-9]*\) test.*/\1/p' | tail -1)
  bad=$(tr -d '\r' <"$log" | sed -n 's/^\[  FAILED  \] \([0-9]*\) test.*/\1/p' | tail -1)
  tr -d '\r' <"$log" | grep -E '^\[  (FAILED|PASSED)  \]|^\[==========\]|Failure$' | tail -20
  if [ -z "$ok" ] && [ -z "$bad" ]; then
    tail -15 "$log"
    fail_one "$name ended without a summary (exit $rc; see $log)"
    return
  fi
  passed=$((passed + ${ok:-0}))
  failed=$((failed + ${bad:-0}))
  if [ "${bad:-0}" -eq 0 ] && [ "$rc" -ne 0 ]; then fail_one "$name exited $rc"; fi
}

# Runs a script suite that prints "PASS name" / "FAIL name: why" lines.
run_suite() {
  local name=$1 limit=$2; shift 2
  local log="$logs/$name.log"
  echo "== $name"
  timeout -k 10 "$limit" bash "$@" >"$log" 2>&1
  local rc=$?
  local ok bad
  ok=$(grep -c '^PASS ' "$log")
  bad=$(grep -c '^FAIL ' "$log")
  grep '^FAIL ' "$log"
  echo "   $ok passed, $bad failed"
  passed=$((passed + ok))
  failed=$((failed + bad))
  if [ "$bad" -eq 0 ] && { [ "$rc" -ne 0 ] || [ "$ok" -eq 0 ]; }; then
    tail -15 "$log"
    fail_one "$name exited $rc with $ok checks"
  fi
}

cd "$root"
if ! bash scripts/build.sh; then
  echo "0 passed, 1 failed"
  exit 1
fi
mkdir -p "$logs"

# Native tests and fuzzing.
for t in $(find build/host/tests -type f -name '*_tests' -perm -u+x 2>/dev/null | sort); do
  run_gtest "host-$(basename "$t")" 300 "$(dirname "$t")" "./$(basename "$t")"
done
echo "== regex fuzzing"
if timeout 300 bash regex/fuzz/run-fuzz.sh "${FH_FUZZ_SECONDS:-30}" >"$logs/fuzz.log" 2>&1; then
  passed=$((passed + 1)); tail -2 "$logs/fuzz.log"
else
  tail -20 "$logs/fuzz.log"; fail_one "regex fuzzing (see $logs/fuzz.log)"
fi

# Windows tests under Wine.
if ! fh_wine_start; then
  fail_one "Wine could not be started"
  echo "$passed passed, $failed failed"
  exit 1
fi
# https: certificates made now, their CA trusted in the prefix, the site's
# tunnels speaking TLS with them.
tls="$root/build/test-tls"
{ fh_tls_make "$tls" && fh_tls_trust "$tls"; } || fail_one "the test CA could not be made or trusted"
fh_site_start "$logs" 3600 --pages "$root/tests/sitepages" --tls "$tls" || fail_one "the stand-in site did not start"
# What the window tests saw on screen, one picture per state (at 96 dpi here;
# the display-scale suite adds 144 and 192).
rm -rf "$root/build/screenshots"
mkdir -p "$root/build/screenshots/96"
export FH_SCREENSHOT_DIR="Z:${root//\//\\}\\build\\screenshots\\96"
# A file that fails every write with "disk full".
mkdir -p "$WINEPREFIX/drive_c/fh_full"
ln -sf /dev/full "$WINEPREFIX/drive_c/fh_full/full.flv"
export FH_DISK_FULL_FILE='C:\fh_full\full.flv'

for t in $(find build/win/tests -type f -name '*_tests.exe' 2>/dev/null | sort); do
  run_gtest "wine-$(basename "$t" .exe)" 600 "$(dirname "$t")" wine "$(basename "$t")"
done
# The same resolver and naming tests under the Japanese code page; Wine
# needs the Japanese locale to make Shift-JIS file names.
locales="$root/build/locale"
[ -d "$locales/ja_JP.UTF-8" ] || { mkdir -p "$locales" && localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8" 2>/dev/null; }
# A missing program ends without a summary, which counts as a failure.
run_gtest "wine-engine_tests-cp932" 300 build/win/tests/engine \
    env LOCPATH="$locales" LC_ALL=ja_JP.UTF-8 wine engine_tests.exe --gtest_filter='Cp932*'
for s in tests/*/suite-*.sh; do
  run_suite "$(basename "$s" .sh)" 1200 "$s" "$root/build/win" "$root/build/win64"
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
