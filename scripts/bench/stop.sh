# The Stop part: Stop to "Aborted!" on a 1 GB stream sent at 2 MB/s and on
# one sent at full speed. time_stops is used by the stall part too.

throttled_ms="" fast_ms="" throttled_unclosed=- fast_unclosed=-

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

measure_stop() {
  note "Stop timing, 2 MB/s stream..."
  time_stops benchlive "Bench live" "$stops"; throttled_ms=$stop_ms throttled_unclosed=$unclosed
  note "Stop timing, full-speed stream..."
  time_stops bench1g "Bench 1G" "$fast_stops"; fast_ms=$stop_ms fast_unclosed=$unclosed
}

report_stop() {
  echo "Stop to \"Aborted!\", ms, all CPUs (Stop $settle_ms ms after \"Downloading: \" first shows)   [goal: under 500]"
  printf '  %-26s %-40s median %s\n' "1 GB stream at 2 MB/s:" "${throttled_ms# }" "$(median $throttled_ms)"
  printf '  %-26s %-40s median %s\n' "1 GB stream, full speed:" "${fast_ms# }" "$(median $fast_ms)"
  echo "  Windows still open 20 s after being asked to close (then ended): $throttled_unclosed" \
       "at 2 MB/s, $fast_unclosed at full speed"
}
