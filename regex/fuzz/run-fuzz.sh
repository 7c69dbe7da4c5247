#!/usr/bin/env bash
# Builds the regex fuzz target with clang's libFuzzer, ASan and UBSan into
# build/fuzz and runs it for SECONDS (default 20). Exits non-zero when the
# fuzzer finds a crash or a disagreement with the reference model.
#   regex/fuzz/run-fuzz.sh [SECONDS] [extra libFuzzer flags...]
set -euo pipefail
seconds=${1:-20}
shift || true
top=$(cd "$(dirname "$0")/../.." && pwd)
out="$top/build/fuzz"
mkdir -p "$out/corpus" "$out/artifacts"

clang++ -std=c++17 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$top" \
  "$top/regex/fuzz/RegexFuzz.cpp" "$top/regex/MbText.cpp" "$top/regex/Regex.cpp" \
  "$top/regex/RegexCompiler.cpp" "$top/regex/RegexMatcher.cpp" \
  -o "$out/regex_fuzz"

# New inputs go to the build folder; the seeds in the repository stay as they are.
"$out/regex_fuzz" "$out/corpus" "$top/regex/fuzz/corpus" \
  -max_total_time="$seconds" -max_len=512 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix="$out/artifacts/" -print_final_stats=1 "$@"
