#!/usr/bin/env bash
# Builds the 1 MiB benchmark program from the corpus's lines, runs the decoder
# benchmarks, then times zarvex-list --rtf on it as a whole process.
# Reports medians; run on an otherwise idle machine.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/default/bin
input=build/default/bench.AMOS
corpus=${ZARVEX_CORPUS_DIR:-$(sed -n 's/^ZARVEX_CORPUS_DIR:PATH=//p' build/default/CMakeCache.txt)}

"$bin/make_bench_input" "$corpus" "$input"
ZARVEX_BENCH_INPUT="$input" ZARVEX_BANKS_DIR="$corpus/../banks" "$bin/zarvex_bench" --benchmark_counters_tabular=true

# The whole process, start to exit, as a user or script would run it.
for options in "--rtf" "--complete --rtf" "--asc"; do
  hyperfine -N --warmup 5 --runs 50 --export-json build/default/cli_bench.json \
    "$bin/zarvex-list $options $input" >/dev/null
  median=$(sed -n 's/.*"median": *\([0-9.e-]*\).*/\1/p' build/default/cli_bench.json | head -1)
  echo "zarvex-list $options on $input: median $(awk -v s="$median" 'BEGIN { printf "%.1f", s * 1000 }') ms"
done

if [ -x "$bin/zarvex_window_bench" ]; then
  QT_QPA_PLATFORM=offscreen "$bin/zarvex_window_bench" "$input"
fi
