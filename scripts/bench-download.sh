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
# FH_BENCH_CYCLES (Download/Stop cycles per stream; default 5).
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib/wine-env.sh"
out="$root/build/bench"
program=${FH_BENCH_PROGRAM:-$root/build/win/app/Framehaul.exe}
runs=${FH_BENCH_RUNS:-3}
stops=${FH_BENCH_STOPS:-5}
fast_stops=${FH_BENCH_FAST_STOPS:-3}
parts=${FH_BENCH_PARTS:-speed memory stop stall}
cpu_settings=${FH_BENCH_CPUS:-one all}
bench_bin="$root/build/win/tests/bench"
settle_ms=1500
big=200000000
huge=1000000000
tiny=4096
all_cpus="0-$(($(nproc) - 1))"
one_cpu=$(($(nproc) - 1))
cpus=$all_cpus
site_pid=""
failures=0
declare -A figures=()
idle_kb="" peak_kb="" hwm_kb="" samples=0 same_bytes=- throttled_ms="" fast_ms=""
throttled_unclosed=- fast_unclosed=-
stall_ms="" close_ms="" timeout_s="" cycle_rows=()

cleanup() {
  if [ -n "$site_pid" ]; then kill "$site_pid" 2>/dev/null; wait "$site_pid" 2>/dev/null; site_pid=""; fi
  fh_wine_stop
}
trap cleanup EXIT
trap 'exit 130' INT TERM

note() { echo "$*" >&2; }
fail() { note "FAILED: $*"; failures=$((failures + 1)); }
now() { date +%s.%N; }
# printf FORMAT of an awk expression. Usage: calc FORMAT EXPRESSION [FIGURE...]
# prints "-" instead when one of the FIGUREs it is made of is missing.
calc() {
  local format=$1 expression=$2 figure; shift 2
  for figure in "$@"; do [ -n "$figure" ] && [ "$figure" != - ] || { echo -; return; }; done
  awk "BEGIN { printf \"$format\", $expression }"
}
# The smallest of the numbers given (empty when none).
least() { printf '%s\n' "$@" | grep -v '^$' | sort -g | head -1; }
# The median; a figure ">N" (a wait that ran out) counts as more than any.
median() {
  printf '%s\n' "$@" | grep -v '^$' | sed 's/^>.*/1e99/' | sort -g |
    awk '{ v[NR] = $1 } END {
           if (!NR) exit
           lo = v[int((NR + 1) / 2)]; hi = v[int(NR / 2) + 1]
           if (lo >= 1e99) print "(more than the wait)"
           else if (hi >= 1e99) printf "more than %.1f", lo
           else printf "%.1f", (lo + hi) / 2 }'
}
# Figures are kept per CPU setting: record NAME VALUE, best NAME, all_of NAME;
# a run's CPU accounting is kept with its time: cpu_of NAME TIME.
record() {
  figures[$cpus:$1]="${figures[$cpus:$1]:-} $2"
  [ -n "$2" ] && figures[$cpus:$1:$2]=${cpu:-}
}
cpu_of() { echo "${figures[$cpus:$1:$2]:--}"; }
best() { least ${figures[$cpus:$1]:-}; }
all_of() { echo ${figures[$cpus:$1]:-}; }

build() {
  [ -n "${FH_BENCH_NO_BUILD:-}" ] && return 0
  note "Building (log: $out/build.log)..."
  if [ -f "$root/build/win/CMakeCache.txt" ] && [ -f "$root/build/host/CMakeCache.txt" ]; then
    { cmake --build "$root/build/host" -j2 --target fh_samplesite &&
      cmake --build "$root/build/win" -j2 --target Framehaul wininet_loop window_driver engine_profile; } >"$out/build.log" 2>&1
  else
    FH_JOBS=2 bash "$root/scripts/build.sh" >"$out/build.log" 2>&1
  fi || { tail -20 "$out/build.log" >&2; note "build failed"; exit 1; }
}

# A watch page whose swfArgs ask the site for a stream of SIZE bytes
# (and RATE bytes a second, and silence after STALL bytes, when given).
# Usage: write_page ID TITLE SIZE [RATE [STALL]]
write_page() {
  local args="video_id:'$1',size:'$3'"
  [ -n "${4:-}" ] && args="$args,rate:'$4'"
  [ -n "${5:-}" ] && args="$args,stall:'$5'"
  cat >"$out/pages/$1.html" <<EOF
<html><head><title>YouTube - $2</title></head>
<body><script type="text/javascript">
var swfArgs = {$args};
</script></body></html>
EOF
}

start_site() {
  rm -f "$out/site.port"
  "$root/build/host/samplesite/fh_samplesite" --port 0 --port-file "$out/site.port" --lifetime 3600 \
      --pages "$out/pages" --log "$out/site-requests.log" >"$out/site.log" 2>&1 &
  site_pid=$!
  local i
  for i in $(seq 1 100); do [ -s "$out/site.port" ] && break; sleep 0.05; done
  [ -s "$out/site.port" ] || { note "the stand-in site did not start"; exit 1; }
  port=$(cat "$out/site.port")
}

configure_prefix() {
  local settings='HKCU\Software\Quorvane\Framehaul\Settings'
  fh_reg add "$settings" /v DefaultFolder /d "$(winepath -w "$out/downloads")" /f
  fh_reg add "$settings" /v AutoStart /t REG_DWORD /d 1 /f
  fh_reg add "$settings" /v AutoClose /t REG_DWORD /d 1 /f
  fh_reg add "$settings" /v AlwaysOverwrite /t REG_DWORD /d 1 /f
  local internet='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
  fh_reg add "$internet" /v ProxyEnable /t REG_DWORD /d 1 /f
  fh_reg add "$internet" /v ProxyServer /d "127.0.0.1:$port" /f
}

# Moves every process of this test (this script, the site, the X server,
# the Wine server and Wine's own services: all that carry this prefix in
# their environment) to CPUS; the programs started afterwards go there too.
use_cpus() {
  cpus=$1
  local p
  for p in $(pgrep -u "$(id -u)"); do
    { tr '\0' '\n' <"/proc/$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
      taskset -a -p -c "$cpus" "$p" >/dev/null 2>&1
  done
}

# CPU accounting of one run: the Windows program itself (a waited-for child
# of this shell, so in the shell's `times`), the Wine server, the X server
# and the site. cpu_mark FILE must run in this shell, not in $(...).
cpu_seconds_of() { awk '{ printf "%.2f", ($14 + $15) / 100 }' "/proc/$1/stat" 2>/dev/null || echo 0; }
cpu_mark() {
  [ -n "${server_pid:-}" ] || server_pid=$(for p in $(pgrep wineserver -u "$(id -u)"); do
    { tr '\0' '\n' <"/proc/$p/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "$p"; done | head -1)
  times >"$1"
  echo "$(cpu_seconds_of "${server_pid:-0}") $(cpu_seconds_of "$FH_XVFB_PID") $(cpu_seconds_of "$site_pid")" >>"$1"
}
# Usage: cpu_since BEFORE AFTER (files of cpu_mark); prints
# "program/wineserver/X/site" CPU seconds.
cpu_since() {
  cat "$1" "$2" | sed -n '2p; 3p; 5p; 6p' | sed 's/\([0-9]*\)m\([0-9.]*\)s/\1 \2/g' | tr '\n' ' ' |
    awk '{ printf "%.2f/%.2f/%.2f/%.2f", ($8 * 60 + $9 + $10 * 60 + $11) - ($1 * 60 + $2 + $3 * 60 + $4), $12 - $5, $13 - $6, $14 - $7 }'
}

watch_url() { echo "http://www.youtube.com/watch?v=$1"; }
stream_url() { echo "http://www.youtube.com/get_video?video_id=$1&size=$2"; }

# Runs the program on a watch address until it closes by itself; sets
# `elapsed` (wall-clock seconds, Wine's process start and exit included).
# Fails unless the file it saved has SIZE bytes. Usage: run_program ID TITLE SIZE
run_program() {
  local file="$out/downloads/$2.flv" t0 rc
  rm -f "$file"
  cpu_mark "$out/cpu.before"
  t0=$(now)
  taskset -c "$cpus" timeout 900 wine "$program" "$(watch_url "$1")" >/dev/null 2>&1
  rc=$?
  elapsed=$(calc %.3f "$(now) - $t0")
  cpu_mark "$out/cpu.after"
  cpu=$(cpu_since "$out/cpu.before" "$out/cpu.after")
  local size; size=$(stat -c %s "$file" 2>/dev/null || echo 0)
  if [ "$size" != "$3" ]; then fail "Framehaul.exe $1: exit $rc, saved $size bytes, not $3"; elapsed=""; fi
}

# Runs a helper that prints "bytes=N seconds=S ..." and checks N; sets
# `elapsed` (wall clock) and `inner` (S, its own transfer time).
# Usage: run_helper SIZE FILE-OR-EMPTY PROGRAM ARGUMENTS...
run_helper() {
  local size=$1 file=$2 t0 rc line; shift 2
  rm -f "$out/helper.out" "$out/helper.err"
  cpu_mark "$out/cpu.before"
  t0=$(now)
  taskset -c "$cpus" timeout 300 wine "$@" >"$out/helper.out" 2>"$out/helper.err"
  rc=$?
  elapsed=$(calc %.3f "$(now) - $t0")
  cpu_mark "$out/cpu.after"
  cpu=$(cpu_since "$out/cpu.before" "$out/cpu.after")
  line=$(head -1 "$out/helper.out" | tr -d '\r')
  inner=$(echo "$line" | sed -n "s/^bytes=$size seconds=\([0-9.]*\).*/\1/p")
  if [ "$rc" -ne 0 ] || [ -z "$inner" ]; then
    fail "$(basename "$1") $size: exit $rc, \"$line\" $(head -3 "$out/helper.err")"; elapsed=""; inner=""
  elif [ -n "$file" ] && [ "$(stat -c %s "$file" 2>/dev/null)" != "$size" ]; then
    fail "$(basename "$1"): $file does not hold $size bytes"; elapsed=""; inner=""
  fi
}

# The bare loop. Usage: run_loop ID SIZE FILE-OR-EMPTY [FLAG...]
run_loop() {
  local id=$1 size=$2 file=$3; shift 3
  run_helper "$size" "$file" "$bench_bin/wininet_loop.exe" "$@" "$(stream_url "$id" "$size")" \
      ${file:+"$(winepath -w "$file")"}
  rm -f "$file"
}

# The engine with a counting observer; keeps its report in engine.txt.
run_engine() {
  local file="$out/downloads/engine.flv"
  run_helper $big "$file" "$bench_bin/engine_profile.exe" "$(stream_url bench200 $big)" "$(winepath -w "$file")"
  tr -d '\r' <"$out/helper.out" >"$out/engine.txt"
  rm -f "$file"
}

# The 200 MB figures under the current CPU setting, best of `runs`.
measure_throughput() {
  local r loop="$out/downloads/loop.flv" saved="$out/downloads/Bench 200.flv"
  for r in $(seq 1 "$runs"); do
    note "200 MB on CPUs $cpus, run $r of $runs..."
    run_helper $big "$loop" "$bench_bin/wininet_loop.exe" "$(stream_url bench200 $big)" "$(winepath -w "$loop")"
    record loop "$elapsed"; record loop_inner "$inner"
    run_program bench200 "Bench 200" $big; record program "$elapsed"
    if [ "$same_bytes" = - ] && [ -f "$loop" ] && [ -f "$saved" ]; then
      # Two separate clients must have saved the same bytes.
      if cmp -s "$loop" "$saved" && [ "$(head -c 3 "$loop")" = "FLV" ]; then same_bytes=yes
      else same_bytes=NO; fail "the program's file differs from the loop's"; fi
    fi
    rm -f "$loop" "$saved"
    run_loop bench0 $tiny "$out/downloads/loop0.flv"; record loop_tiny "$elapsed"
    run_program bench0 "Bench tiny" $tiny; record program_tiny "$elapsed"
    run_loop bench200 $big ""; record nofile_inner "$inner"
    run_loop bench200 $big "$loop" --callback; record callback_inner "$inner"
    run_loop bench200 $big "$loop" --format; record format_inner "$inner"
    run_engine; record engine_inner "$inner"
  done
}

# Resident memory of a Linux process every 100 ms until it ends, one
# "VmRSS VmHWM" line (kB) per sample. Usage: sample_rss PID FILE
sample_rss() {
  : >"$2"
  while [ -r "/proc/$1/status" ]; do
    awk '/^VmRSS:/ { r = $2 } /^VmHWM:/ { h = $2 } END { if (r) print r, h }' "/proc/$1/status" >>"$2" 2>/dev/null
    sleep 0.1
  done
}

# The process that runs the Windows program under `timeout PID`.
program_pid() {
  local i child
  for i in $(seq 1 100); do
    child=$(pgrep -P "$1" | head -1)
    [ -n "$child" ] && [ "$(cat "/proc/$child/comm" 2>/dev/null)" = "$(basename "$program")" ] && { echo "$child"; return; }
    sleep 0.1
  done
}

# Usage: wait_pid PID SECONDS; kills it when it outlives them, and then
# returns 1.
wait_pid() {
  local i
  for i in $(seq 1 $(($2 * 10))); do
    kill -0 "$1" 2>/dev/null || { wait "$1" 2>/dev/null; return 0; }
    sleep 0.1
  done
  kill "$1" 2>/dev/null
  wait "$1" 2>/dev/null
  return 1
}

driver() { timeout 120 wine "$bench_bin/window_driver.exe" "$1" "$(basename "$program")" "${@:2}"; }

measure_idle_memory() {
  note "Memory: idle window..."
  timeout 120 wine "$program" >/dev/null 2>&1 &
  local tpid=$! pid spid
  pid=$(program_pid $tpid)
  if [ -z "$pid" ] || ! driver wait 30000; then
    fail "the idle window did not come up"; wait_pid $tpid 1; return
  fi
  sleep 2
  sample_rss "$pid" "$out/rss-idle.txt" &
  spid=$!
  sleep 3
  driver close 10000
  wait_pid $tpid 20 || fail "the idle window did not close within 20 s"
  wait $spid
  # The middle one of the samples taken before the close was asked for.
  idle_kb=$(head -25 "$out/rss-idle.txt" | awk '{ print $1 }' | sort -g | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }')
}

measure_download_memory() {
  note "Memory: 1 GB download..."
  local file="$out/downloads/Bench 1G.flv" tpid pid
  rm -f "$file"
  : >"$out/rss-1g.txt"
  timeout 1800 wine "$program" "$(watch_url bench1g)" >/dev/null 2>&1 &
  tpid=$!
  pid=$(program_pid $tpid)
  [ -n "$pid" ] && sample_rss "$pid" "$out/rss-1g.txt"
  wait $tpid
  [ "$(stat -c %s "$file" 2>/dev/null)" = "$huge" ] || fail "the 1 GB download did not save $huge bytes"
  rm -f "$file"
  samples=$(wc -l <"$out/rss-1g.txt")
  if [ "$samples" -gt 0 ]; then
    peak_kb=$(awk '$1 > m { m = $1 } END { print m }' "$out/rss-1g.txt")
    hwm_kb=$(awk '{ h = $2 } END { print h }' "$out/rss-1g.txt")
  else
    fail "no memory samples of the 1 GB download"
  fi
}

# Clicks Stop during a download, COUNT times; sets `stop_ms` to the times
# from Stop to "Aborted!" in ms (">60000" when it did not come within the
# driver's wait) and `unclosed` to how often the window, asked to close
# after that, was still there 20 s later (it is then ended).
# Usage: time_stops ID TITLE COUNT
time_stops() {
  local i line tpid ms
  stop_ms="" unclosed=0
  for i in $(seq 1 "$3"); do
    timeout 300 wine "$program" "$(watch_url "$1")" >/dev/null 2>&1 &
    tpid=$!
    line=$(driver stop 60000 $settle_ms 2>&1 | tr -d '\r')
    note "$line"
    ms=$(echo "$line" | sed -n 's/^stop_to_aborted_ms=\([0-9.]*\).*/\1/p')
    if [ -z "$ms" ] && echo "$line" | grep -q '^no "Aborted!" within'; then ms=">60000"; fi
    if [ -n "$ms" ]; then stop_ms="$stop_ms $ms"; else fail "Stop on $1: $(echo "$line" | head -1)"; fi
    driver close 1000 >/dev/null 2>&1
    wait_pid $tpid 20 || unclosed=$((unclosed + 1))
    rm -f "$out/downloads/$2.flv"
  done
}

site_sent() { curl --noproxy '*' -s "http://127.0.0.1:$port/stats" | sed -n 's/^body_bytes_sent //p'; }
threads_of() { ls "/proc/$1/task" 2>/dev/null | wc -l; }

# Starts the program on a watch page and sets `tpid` (its `timeout`) and
# `pid` (the process running it). Usage: start_program ID
start_program() {
  timeout 300 wine "$program" "$(watch_url "$1")" >/dev/null 2>&1 &
  tpid=$!
  pid=$(program_pid $tpid)
}

# Close while the stream is silent: ms from asking the window to close to
# the end of its process. Usage: time_closes ID TITLE COUNT
time_closes() {
  local i t0
  close_ms=""
  for i in $(seq 1 "$3"); do
    start_program "$1"
    if [ -z "$pid" ] || ! driver downloading 60000 >/dev/null 2>&1; then fail "Close on $1: no download"; wait_pid $tpid 1; continue; fi
    sleep 1.5
    t0=$(now)
    driver close 1000 >/dev/null 2>&1
    while kill -0 "$pid" 2>/dev/null && [ "$(calc %d "($(now) - $t0) * 1000")" -lt 60000 ]; do sleep 0.01; done
    close_ms="$close_ms $(calc %.0f "($(now) - $t0) * 1000")"
    wait_pid $tpid 20 || fail "Close on $1: the process did not end"
    rm -f "$out/downloads/$2.flv"
  done
}

# Seconds from "Downloading: " to the end of a job whose stream goes
# silent and nobody presses Stop (the window closes itself then, as
# AutoClose is on only after success: it is asked to close once "Error!"
# shows). Usage: time_silence ID
time_silence() {
  local t0 line
  start_program "$1"
  if [ -z "$pid" ] || ! driver downloading 60000 >/dev/null 2>&1; then fail "silence on $1: no download"; wait_pid $tpid 1; return; fi
  t0=$(now)
  line=$(timeout 120 wine "$bench_bin/window_driver.exe" result "$(basename "$program")" 100000 2>&1 | tr -d '\r')
  timeout_s="$(calc %.1f "$(now) - $t0") ($line)"
  driver close 1000 >/dev/null 2>&1
  wait_pid $tpid 20 || fail "silence on $1: the window did not close"
}

# Download/Stop cycles on one window; records threads of the process after
# the first and after the last stop, and the site's bytes in the 5 s after
# the last stop. Usage: cycle_row ID LABEL COUNT
cycle_row() {
  local first last before after
  start_program "$1"
  [ -n "$pid" ] || { fail "cycles on $1: no process"; return; }
  driver cycles 60000 $settle_ms 1 >"$out/cycles.txt" 2>&1 || fail "cycles on $1: $(tail -1 "$out/cycles.txt")"
  sleep 1; first=$(threads_of "$pid")
  driver cycles 60000 $settle_ms $(($3 - 1)) >>"$out/cycles.txt" 2>&1 || fail "cycles on $1: $(tail -1 "$out/cycles.txt")"
  sleep 1; before=$(site_sent); last=$(threads_of "$pid")
  sleep 5; after=$(site_sent)
  cycle_rows+=("$(printf '  %-28s %8s %8s %14s' "$2" "$first" "$last" "$((after - before))")")
  driver close 1000 >/dev/null 2>&1
  wait_pid $tpid 30 || fail "cycles on $1: the window did not close"
  rm -f "$out/downloads/"*.flv
}

mbps() { calc %.1f "$1 / $2 / 1e6" "$2"; }
row() { printf '  %-44s %9s %8s %11s %8s\n' "$@"; }
# One table row of a figure under both CPU settings, seconds and MB/s.
speed_row() {
  local label=$1 name=$2 with_rate=${3:-yes} one two
  cpus=$one_cpu; one=$(best "$name")
  cpus=$all_cpus; two=$(best "$name")
  if [ "$with_rate" = yes ]; then row "$label" "${one:--}" "$(mbps $big "$one")" "${two:--}" "$(mbps $big "$two")"
  else row "$label" "${one:--}" "" "${two:--}" ""; fi
}
# A run time without the start-up and exit of its process, under the
# current CPU setting: best NAME minus best NAME_tiny.
net_of() { calc %.3f "$(best "$1") - $(best "$1_tiny")" "$(best "$1")" "$(best "$1_tiny")"; }
net_row() {
  local one two
  cpus=$one_cpu; one=$(net_of "$2")
  cpus=$all_cpus; two=$(net_of "$2")
  row "$1" "$one" "$(mbps $big "$one")" "$two" "$(mbps $big "$two")"
}
ratio_row() {
  local one two
  cpus=$one_cpu; one=$(calc %.2f "$($2 loop) / $($2 program)" "$($2 loop)" "$($2 program)")
  cpus=$all_cpus; two=$(calc %.2f "$($2 loop) / $($2 program)" "$($2 loop)" "$($2 program)")
  row "$1" "$one" "" "$two" ""
}

report_speed() {
  echo "200 MB stream ($big bytes, 4096-byte reads), best of $runs runs; MB = 10^6 bytes"
  row "" "one CPU" "" "all CPUs" ""
  row "" seconds MB/s seconds MB/s
  speed_row "WinINet loop to file, whole process" loop
  speed_row "WinINet loop, 4 KB stream (start-up + exit)" loop_tiny no
  net_row "WinINet loop minus its start-up + exit" loop
  speed_row "WinINet loop to file, transfer only" loop_inner
  speed_row "Framehaul.exe, whole run" program
  speed_row "Framehaul.exe, 4 KB video (start-up + exit)" program_tiny no
  net_row "Framehaul.exe minus its start-up + exit" program
  ratio_row "Ratio Framehaul/loop, whole processes" best
  ratio_row "Ratio Framehaul/loop, minus start-up + exit" net_of
  echo "  [goal: ratio 0.9 or more]"
  echo "  Where the time goes (transfer only, same stream):"
  speed_row "WinINet loop, no file" nofile_inner
  speed_row "loop to file + no-op status callback" callback_inner
  speed_row "loop to file + progress text per read" format_inner
  speed_row "engine (HttpDownloader), counting observer" engine_inner
  local name
  echo "  CPU seconds of the best run, program/wineserver/X server/site (one CPU | all CPUs):"
  for name in loop loop_tiny program program_tiny nofile_inner callback_inner format_inner engine_inner; do
    cpus=$one_cpu; local a; a=$(cpu_of $name "$(best $name)")
    cpus=$all_cpus; printf '    %-15s %s | %s\n' "$name" "$a" "$(cpu_of $name "$(best $name)")"
  done
  echo "  Every run, seconds (one CPU | all CPUs):"
  for name in loop program engine_inner; do
    cpus=$one_cpu; local a; a=$(all_of $name)
    cpus=$all_cpus; printf '    %-15s %s | %s\n' "$name" "$a" "$(all_of $name)"
  done
  echo "  The saved files of program and loop are identical: $same_bytes"
  echo "  What reached the engine's observer in one 200 MB transfer:"
  sed -n '2,4p' "$out/engine.txt" 2>/dev/null | sed 's/^/    /'
}

report_memory() {
  echo "Memory (VmRSS every 100 ms of the process running Framehaul.exe, all CPUs; MiB = 2^20 bytes)"
  printf '  %-50s %8s MiB\n' "idle, window open, no address" "$(calc %.1f "$idle_kb / 1024" "$idle_kb")"
  printf '  %-50s %8s MiB\n' "peak during a 1 GB download ($samples samples)" "$(calc %.1f "$peak_kb / 1024" "$peak_kb")"
  printf '  %-50s %8s MiB\n' "high-water mark (VmHWM) at the last sample" "$(calc %.1f "$hwm_kb / 1024" "$hwm_kb")"
  printf '  %-50s %8s MiB\n' "peak minus idle   [goal: a few MB]" \
      "$(calc %.1f "($peak_kb - $idle_kb) / 1024" "$peak_kb" "$idle_kb")"
}

report_stop() {
  echo "Stop to \"Aborted!\", ms, all CPUs (Stop $settle_ms ms after \"Downloading: \" first shows)   [goal: under 500]"
  printf '  %-26s %-40s median %s\n' "1 GB stream at 2 MB/s:" "${throttled_ms# }" "$(median $throttled_ms)"
  printf '  %-26s %-40s median %s\n' "1 GB stream, full speed:" "${fast_ms# }" "$(median $fast_ms)"
  echo "  Windows still open 20 s after being asked to close (then ended): $throttled_unclosed" \
       "at 2 MB/s, $fast_unclosed at full speed"
}

report_stall() {
  echo "A stream that goes silent after 1 MB (all CPUs)   [goal: Stop and Close under 1 s]"
  printf '  %-34s %-30s median %s\n' "Stop to \"Aborted!\", ms:" "${stall_ms# }" "$(median $stall_ms)"
  printf '  %-34s %-30s median %s\n' "Close to the process's end, ms:" "${close_ms# }" "$(median $close_ms)"
  printf '  %-34s %s\n' "no Stop: \"Downloading\" to result, s:" "${timeout_s:--}"
  echo "  After Download/Stop cycles on one window (Stop $settle_ms ms into each):"
  printf '  %-28s %8s %8s %14s\n' "stream" "threads" "threads" "site bytes in"
  printf '  %-28s %8s %8s %14s\n' "" "1 stop" "$cycles stops" "5 s after"
  local row
  for row in "${cycle_rows[@]}"; do echo "$row"; done
}

report() {
  echo
  echo "Download benchmark: $(date '+%Y-%m-%d %H:%M'), $(nproc) CPUs, load average at start $load_at_start"
  echo "Program: $program"
  case " $parts " in *" speed "*) report_speed ;; esac
  case " $parts " in *" memory "*) report_memory ;; esac
  case " $parts " in *" stop "*) report_stop ;; esac
  case " $parts " in *" stall "*) report_stall ;; esac
  [ "$failures" -eq 0 ] || echo "$failures step(s) FAILED; see the messages above."
}

mkdir -p "$out"
build
rm -rf "$out/pages" "$out/downloads"; mkdir -p "$out/pages" "$out/downloads"
write_page bench0 "Bench tiny" $tiny
write_page bench200 "Bench 200" $big
write_page bench1g "Bench 1G" $huge
write_page benchlive "Bench live" $huge 2000000
write_page benchstall "Bench stall" $huge "" 1000000
for f in "$program" "$bench_bin/wininet_loop.exe" "$bench_bin/window_driver.exe" "$bench_bin/engine_profile.exe"; do
  [ -f "$f" ] || { note "missing $f"; exit 1; }
done
load_at_start=$(cut -d' ' -f1-3 /proc/loadavg)
export FH_FORCE_XVFB=1
fh_wine_start || exit 1
start_site
configure_prefix

case " $parts " in *" speed "*)
  case " $cpu_settings " in *" one "*) use_cpus "$one_cpu"; measure_throughput ;; esac
  case " $cpu_settings " in *" all "*) use_cpus "$all_cpus"; measure_throughput ;; esac ;;
esac
case " $parts " in *" memory "*) measure_idle_memory; measure_download_memory ;; esac
case " $parts " in *" stop "*)
  note "Stop timing, 2 MB/s stream..."
  time_stops benchlive "Bench live" "$stops"; throttled_ms=$stop_ms throttled_unclosed=$unclosed
  note "Stop timing, full-speed stream..."
  time_stops bench1g "Bench 1G" "$fast_stops"; fast_ms=$stop_ms fast_unclosed=$unclosed ;;
esac
cycles=${FH_BENCH_CYCLES:-5}
case " $parts " in *" stall "*)
  note "Silent stream: Stop, Close, no Stop, cycles..."
  time_stops benchstall "Bench stall" "$stops"; stall_ms=$stop_ms
  time_closes benchstall "Bench stall" 3
  time_silence benchstall
  cycle_row benchstall "silent after 1 MB" "$cycles"
  cycle_row benchlive "2 MB/s" "$cycles"
  cycle_row bench1g "full speed" "$cycles" ;;
esac
report
[ "$failures" -eq 0 ]
