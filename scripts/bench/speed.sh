# The 200 MB part ("speed"): the program against the bare WinINet loop on
# one stream, under each CPU setting of FH_BENCH_CPUS, and where the time goes.
# Its figures are kept with `record` per CPU setting; `same_bytes` says
# whether the program and the loop saved the same file.

same_bytes=-

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

measure_speed() {
  case " $cpu_settings " in *" one "*) use_cpus "$one_cpu"; measure_throughput ;; esac
  case " $cpu_settings " in *" all "*) use_cpus "$all_cpus"; measure_throughput ;; esac
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
