# The stall part: a stream that goes silent after 1 MB. Stop, Close and no
# Stop on it, then Download/Stop cycles on one window on the silent, the
# 2 MB/s and the full-speed stream.

stall_ms="" close_ms="" timeout_s="" cycle_rows=()

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

measure_stall() {
  note "Silent stream: Stop, Close, no Stop, cycles..."
  time_stops benchstall "Bench stall" "$stops"; stall_ms=$stop_ms
  time_closes benchstall "Bench stall" 3
  time_silence benchstall
  cycle_row benchstall "silent after 1 MB" "$cycles"
  cycle_row benchlive "2 MB/s" "$cycles"
  cycle_row bench1g "full speed" "$cycles"
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
