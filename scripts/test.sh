#!/usr/bin/env bash
# Builds everything and runs every test: the native tests and a short fuzz
# run, then, for each edition this machine runs (scripts/lib/edition.sh),
# the Windows tests under Wine in a private, throwaway prefix on a private X
# display, with the stand-in video site running on 127.0.0.1.
# Ends with one line "N passed, N failed, N skipped" (each skipped check is
# listed above it with its reason); exits non-zero on any failure.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib/wine-env.sh"
. "$root/scripts/lib/site.sh"
. "$root/scripts/lib/test-ca.sh"
logs="$root/build/test-logs"
passed=0
failed=0
skips="$logs/skipped.txt"

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
  # A skipped test prints its reason on the line after "...: Skipped".
  tr -d '\r' <"$log" | awk -v name="$name" '
    /: Skipped$/ { getline reason; next }
    /^\[  SKIPPED \] [^ ]+ \([0-9]+ ms\)$/ { print name " " $4 ": " reason; reason = "" }' >>"$skips"
  if [ "${bad:-0}" -eq 0 ] && [ "$rc" -ne 0 ]; then fail_one "$name exited $rc"; fi
}

# Runs a script suite that prints "PASS name", "FAIL name: why" and
# "SKIP name: why" lines.
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
  sed -n "s/^SKIP /$name /p" "$log" >>"$skips"
  echo "   $ok passed, $bad failed, $(grep -c '^SKIP ' "$log") skipped"
  passed=$((passed + ok))
  failed=$((failed + bad))
  if [ "$bad" -eq 0 ] && { [ "$rc" -ne 0 ] || [ "$ok" -eq 0 ]; }; then
    tail -15 "$log"
    fail_one "$name exited $rc with $ok checks"
  fi
}

# The Windows tests of one edition, in a prefix of its kind.
run_edition() {
  local edition=$1 tag t s
  fh_use_edition "$edition"
  tag=wine-$edition
  echo "== $edition edition ($FH_BUILD, $WINEARCH prefix)"
  if ! fh_wine_start; then
    fail_one "Wine could not be started for the $edition edition"
    return
  fi
  # https: the test CA trusted in this prefix, the site's tunnels speaking
  # TLS with the certificates made for the run.
  fh_tls_trust "$tls" "$FH_BUILD/tests/common/fh_trust_ca.exe" || fail_one "the test CA could not be trusted"
  fh_site_start "$logs" 3600 --pages "$root/tests/sitepages" --tls "$tls" || fail_one "the stand-in site did not start"
  # What the window tests saw on screen, one picture per state (at 96 dpi
  # here; the display-scale suite adds 144 and 192).
  export FH_SCREENSHOT_ROOT="$root/build/screenshots/$edition"
  mkdir -p "$FH_SCREENSHOT_ROOT/96"
  export FH_SCREENSHOT_DIR="Z:${FH_SCREENSHOT_ROOT//\//\\}\\96"
  # A file that fails every write with "disk full".
  mkdir -p "$WINEPREFIX/drive_c/fh_full"
  ln -sf /dev/full "$WINEPREFIX/drive_c/fh_full/full.flv"
  export FH_DISK_FULL_FILE='C:\fh_full\full.flv'

  for t in $(find "$FH_BUILD/tests" -type f -name '*_tests.exe' 2>/dev/null | sort); do
    run_gtest "$tag-$(basename "$t" .exe)" 600 "$(dirname "$t")" wine "$(basename "$t")" --gtest_filter="-$cp932"
  done
  # The engine's tests again in the system's own code page, as the program
  # runs where Windows ignores its UTF-8 declaration.
  run_gtest "$tag-engine_tests_system_cp" 600 "$FH_BUILD/tests/engine" \
      wine engine_tests_system_cp.exe --gtest_filter="-$cp932"
  # The tests of double-byte text on a Japanese system, with the UTF-8 code
  # page and in code page 932 (the _system_cp programs); Wine needs the
  # Japanese locale to make Japanese file names. A missing program ends
  # without a summary, which counts as a failure.
  for t in engine_tests engine_tests_system_cp controls_tests_system_cp; do
    run_gtest "$tag-$t-cp932" 300 "$FH_BUILD/tests/${t%%_*}" \
        env LOCPATH="$locales" LC_ALL=ja_JP.UTF-8 wine "$t.exe" --gtest_filter="$cp932"
  done
  for s in tests/*/suite-*.sh; do
    run_suite "$edition-$(basename "$s" .sh)" 1200 "$s" "$FH_BUILD" "$FH_OTHER_BUILD"
  done
  fh_site_stop
  fh_wine_stop
  unset WINEPREFIX
}

cd "$root"
mkdir -p "$logs"
: >"$skips"
if ! bash scripts/build.sh; then
  echo "0 passed, 1 failed, 0 skipped"
  exit 1
fi

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

# Wine names files on the host in the host's character set, and only UTF-8
# holds every name the program makes.
[ "$(locale charmap 2>/dev/null)" = UTF-8 ] || export LC_ALL=C.UTF-8
# The tests that need code page 932, run in a pass of their own.
cp932='Cp932*:*OnDoubleByteSystems*'
locales="$root/build/locale"
[ -d "$locales/ja_JP.UTF-8" ] || { mkdir -p "$locales" && localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8" 2>/dev/null; }
rm -rf "$root/build/screenshots"
tls="$root/build/test-tls"
fh_tls_make "$tls" || fail_one "the test certificates could not be made"
why=$(fh_why_x64_only)
[ -n "$why" ] && echo "Only the x64 edition is tested: $why. The checks that need 32-bit code are skipped."
for edition in $(fh_editions); do run_edition "$edition"; done

skipped=$(wc -l <"$skips")
if [ "$skipped" -gt 0 ]; then
  echo "Skipped:"
  sed 's/^/  /' "$skips"
fi
echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
