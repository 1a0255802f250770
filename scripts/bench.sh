#!/usr/bin/env bash
# Builds the 1 MiB benchmark program from the corpus's lines, runs the decoder
# benchmarks, then times zarvex-list --rtf on it as a whole process.
# Reports medians; run on an otherwise idle machine.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=build/default/bin
input=build/default/bench.AMOS
corpus=${ZARVEX_CORPUS_DIR:-../shared/corpus}

"$bin/make_bench_input" "$corpus" "$input"
ZARVEX_BENCH_INPUT="$input" "$bin/zarvex_bench" --benchmark_counters_tabular=true

runs=31
times=()
for _ in $(seq "$runs"); do
  start=$(date +%s%N)
  "$bin/zarvex-list" --rtf "$input" > /dev/null 2>&1
  end=$(date +%s%N)
  times+=($(( (end - start) / 1000 )))
done
median=$(printf '%s\n' "${times[@]}" | sort -n | sed -n "$(( (runs + 1) / 2 ))p")
echo "zarvex-list --rtf on $input: median of $runs runs ${median} us"

if [ -x "$bin/zarvex_window_bench" ]; then
  QT_QPA_PLATFORM=offscreen "$bin/zarvex_window_bench" "$input"
fi
