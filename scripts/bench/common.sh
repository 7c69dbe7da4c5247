# The benchmark's shared steps, sourced by scripts/bench-download.sh: figures
# kept per CPU setting, the build, the watch pages, the prefix's settings,
# running the program or a helper with its CPU accounting, and the window
# driver. Failures are counted in `failures`; nothing here exits on a time.


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
  if [ -f "$FH_BUILD/CMakeCache.txt" ] && [ -f "$root/build/host/CMakeCache.txt" ]; then
    { cmake --build "$root/build/host" -j2 --target fh_samplesite &&
      cmake --build "$FH_BUILD" -j2 --target Framehaul wininet_loop window_driver engine_profile; } >"$out/build.log" 2>&1
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

# The watch pages every part uses, in a fresh folder, and an empty
# download folder.
prepare_pages() {
  rm -rf "$out/pages" "$out/downloads"; mkdir -p "$out/pages" "$out/downloads"
  write_page bench0 "Bench tiny" $tiny
  write_page bench200 "Bench 200" $big
  write_page bench1g "Bench 1G" $huge
  write_page benchlive "Bench live" $huge 2000000
  write_page benchstall "Bench stall" $huge "" 1000000
}

configure_prefix() {
  local settings='HKCU\Software\Quorvane\Framehaul\Settings'
  fh_reg add "$settings" /v DefaultFolder /d "$(winepath -w "$out/downloads")" /f
  fh_reg add "$settings" /v AutoStart /t REG_DWORD /d 1 /f
  fh_reg add "$settings" /v AutoClose /t REG_DWORD /d 1 /f
  fh_reg add "$settings" /v AlwaysOverwrite /t REG_DWORD /d 1 /f
  local internet='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
  fh_reg add "$internet" /v ProxyEnable /t REG_DWORD /d 1 /f
  fh_reg add "$internet" /v ProxyServer /d "127.0.0.1:$FH_SITE_PORT" /f
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
  echo "$(cpu_seconds_of "${server_pid:-0}") $(cpu_seconds_of "$FH_XVFB_PID") $(cpu_seconds_of "$FH_SITE_PID")" >>"$1"
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

site_sent() { curl --noproxy '*' -s "http://127.0.0.1:$FH_SITE_PORT/stats" | sed -n 's/^body_bytes_sent //p'; }
threads_of() { ls "/proc/$1/task" 2>/dev/null | wc -l; }

# Starts the program on a watch page and sets `tpid` (its `timeout`) and
# `pid` (the process running it). Usage: start_program ID
start_program() {
  timeout 300 wine "$program" "$(watch_url "$1")" >/dev/null 2>&1 &
  tpid=$!
  pid=$(program_pid $tpid)
}
