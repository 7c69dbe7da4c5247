#!/usr/bin/env bash
# Download benchmark. In one private Wine prefix, with a private Xvfb display
# (the window is shown) and the stand-in site on 127.0.0.1 reached through the
# per-user proxy setting, measures:
#   1. the whole program (Framehaul.exe, AutoStart and AutoClose) saving a
#      200 MB stream, against a bare 4096-byte WinINet read loop on the same
#      stream address, and their ratio; once with every process of the test
#      on one CPU and once free to use all of them (see below);
#   2. the program's resident memory during a 1 GB download against its
#      memory when idle;
#   3. the time from clicking Stop to the status line reading "Aborted!";
#   4. a server that goes silent mid-stream: Stop to "Aborted!", Close to
#      the end of the process, how long a stall without Stop takes to end
#      the job (the receive time-out), and after repeated Download/Stop
#      cycles on one window the process's threads and the bytes the site
#      still sends in the 5 seconds after the last stop.
# Prints figures only; nothing here passes or fails on a time. It does fail
# (exit 1) when a download did not produce the expected file.
#
# Why two CPU settings: on a virtual machine, a Wine program that reads a
# socket in 4 KiB pieces wakes the Wine server and the sending site for
# every piece, and wake-ups across CPUs cost far more than on one CPU. The
# same loop then runs about six times faster on one CPU than spread over
# two, and spread over two its speed jumps between those extremes with
# whatever else the machine runs. The one-CPU figures are the steady ones;
# there the program's own work competes with the transfer for the one CPU.
#
# Environment: FH_BENCH_RUNS (runs per 200 MB figure, best taken; default 3),
# FH_BENCH_STOPS and FH_BENCH_FAST_STOPS (Stop repetitions on the 2 MB/s
# and on the full-speed stream; default 5 and 3), FH_BENCH_PARTS (some of
# "speed memory stop stall"; default all four), FH_BENCH_CPUS (some of "one all"
# for the 200 MB figures; default both), FH_BENCH_PROGRAM (another build of
# Framehaul.exe to measure), FH_BENCH_NO_BUILD=1 (skip the build),
# FH_BENCH_CYCLES (Download/Stop cycles per stream; default 5),
# FH_BENCH_EDITION (x86 or x64: the edition measured, in a prefix of its
# kind; default the first edition this machine runs, see
# scripts/lib/edition.sh).
#
# Each part is a file in scripts/bench/ with a measure_PART step that keeps
# its figures and a report_PART step that prints them; scripts/bench/common.sh
# holds what they share.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib/wine-env.sh"
. "$root/scripts/lib/site.sh"
out="$root/build/bench"
fh_use_edition "${FH_BENCH_EDITION:-$(fh_default_edition)}" || exit 2
program=${FH_BENCH_PROGRAM:-$FH_BUILD/app/Framehaul.exe}
runs=${FH_BENCH_RUNS:-3}
stops=${FH_BENCH_STOPS:-5}
fast_stops=${FH_BENCH_FAST_STOPS:-3}
cycles=${FH_BENCH_CYCLES:-5}
parts=${FH_BENCH_PARTS:-speed memory stop stall}
cpu_settings=${FH_BENCH_CPUS:-one all}
bench_bin="$FH_BUILD/tools/bench"
settle_ms=1500
big=200000000
huge=1000000000
tiny=4096
all_cpus="0-$(($(nproc) - 1))"
one_cpu=$(($(nproc) - 1))
cpus=$all_cpus
failures=0
declare -A figures=()
all_parts="speed memory stop stall"
. "$root/scripts/bench/common.sh"
for part in $all_parts; do . "$root/scripts/bench/$part.sh"; done

for part in $parts; do
  case " $all_parts " in *" $part "*) ;; *) note "FH_BENCH_PARTS: no part \"$part\" (there are: $all_parts)"; exit 2 ;; esac
done

cleanup() {
  fh_site_stop
  fh_wine_stop
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The parts run in this order whatever the order in FH_BENCH_PARTS.
chosen() { case " $parts " in *" $1 "*) return 0 ;; esac; return 1; }

report() {
  echo
  echo "Download benchmark: $(date '+%Y-%m-%d %H:%M'), $(nproc) CPUs, load average at start $load_at_start"
  echo "Program: $program ($FH_EDITION edition, $WINEARCH prefix)"
  local part
  for part in $all_parts; do chosen "$part" && "report_$part"; done
  [ "$failures" -eq 0 ] || echo "$failures step(s) FAILED; see the messages above."
}

mkdir -p "$out"
build
prepare_pages
for f in "$program" "$bench_bin/wininet_loop.exe" "$bench_bin/window_driver.exe" "$bench_bin/engine_profile.exe"; do
  [ -f "$f" ] || { note "missing $f"; exit 1; }
done
load_at_start=$(cut -d' ' -f1-3 /proc/loadavg)
export FH_FORCE_XVFB=1
fh_wine_start || exit 1
fh_site_start "$out" 3600 --pages "$out/pages" || exit 1
configure_prefix
for part in $all_parts; do chosen "$part" && "measure_$part"; done
report
[ "$failures" -eq 0 ]
