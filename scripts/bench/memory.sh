# The memory part: resident size of the idle window and during a 1 GB
# download.

idle_kb="" peak_kb="" hwm_kb="" samples=0


# Resident memory of a Linux process every 100 ms until it ends, one
# "VmRSS VmHWM" line (kB) per sample. Usage: sample_rss PID FILE
sample_rss() {
  : >"$2"
  while [ -r "/proc/$1/status" ]; do
    awk '/^VmRSS:/ { r = $2 } /^VmHWM:/ { h = $2 } END { if (r) print r, h }' "/proc/$1/status" >>"$2" 2>/dev/null
    sleep 0.1
  done
}

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

measure_memory() {
  measure_idle_memory
  measure_download_memory
}

report_memory() {
  echo "Memory (VmRSS every 100 ms of the process running Framehaul.exe, all CPUs; MiB = 2^20 bytes)"
  printf '  %-50s %8s MiB\n' "idle, window open, no address" "$(calc %.1f "$idle_kb / 1024" "$idle_kb")"
  printf '  %-50s %8s MiB\n' "peak during a 1 GB download ($samples samples)" "$(calc %.1f "$peak_kb / 1024" "$peak_kb")"
  printf '  %-50s %8s MiB\n' "high-water mark (VmHWM) at the last sample" "$(calc %.1f "$hwm_kb / 1024" "$hwm_kb")"
  printf '  %-50s %8s MiB\n' "peak minus idle   [goal: a few MB]" \
      "$(calc %.1f "($peak_kb - $idle_kb) / 1024" "$peak_kb" "$idle_kb")"
}
