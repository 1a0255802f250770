#!/usr/bin/env bash
# Runs the decoder's libFuzzer target for a bounded time (FUZZ_SECONDS, default
# 60), seeded with the corpus programs and bank files, which are read in place.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
corpus=${ZARVEX_CORPUS_DIR:-$(sed -n 's/^ZARVEX_CORPUS_DIR:PATH=//p' build/fuzz/CMakeCache.txt)}
work=build/fuzz/findings
seeds=build/fuzz/seeds
mkdir -p "$work" "$seeds"
# libFuzzer reads seed folders flat; link the programs into one folder.
find "$corpus" -name '*.AMOS' -not -path '*/expected/*' | while IFS= read -r f; do
  ln -sf "$(realpath "$f")" "$seeds/$(echo "$f" | tr '/ ' '__')"
done
# The bank files beside the corpus, when they are there.
if [ -d "$corpus/../banks" ]; then
  find "$corpus/../banks" -maxdepth 1 -type f ! -name README.md | while IFS= read -r f; do
    ln -sf "$(realpath "$f")" "$seeds/bank_$(basename "$f" | tr ' ' '_')"
  done
fi
ASAN_OPTIONS=detect_leaks=1 build/fuzz/bin/load_amos_fuzzer -max_total_time="$seconds" -max_len=1048576 \
  -rss_limit_mb=4096 -print_final_stats=1 "$work" "$seeds"
