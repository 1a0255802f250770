#!/usr/bin/env bash
# Runs the libFuzzer targets for a bounded time: the program and bank reader
# target for FUZZ_SECONDS (default 60), then the RTF reader's for a third of
# that. Inputs are capped at FUZZ_MAX_LEN bytes (default 64 KiB; set 1048576
# now and then for a full-size run). Seeds are the corpus programs and bank
# files, linked in place into build/fuzz/seeds, never copied into the
# project. Any finding fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
max_len=${FUZZ_MAX_LEN:-65536}
corpus=${ZARVEX_CORPUS_DIR:-$(sed -n 's/^ZARVEX_CORPUS_DIR:PATH=//p' build/fuzz/CMakeCache.txt)}
work=build/fuzz/findings
seeds=build/fuzz/seeds
rtfSeeds=build/fuzz/seeds-rtf
mkdir -p "$work/programs" "$work/rtf" "$seeds" "$rtfSeeds"
# libFuzzer reads seed folders flat; link the programs into one folder.
if [ -d "$corpus" ]; then
  find "$corpus" -name '*.AMOS' -not -path '*/expected/*' | while IFS= read -r f; do
    ln -sf "$(realpath "$f")" "$seeds/$(echo "$f" | tr '/ ' '__')"
  done
fi
# The expected listing documents seed the RTF reader.
if [ -d "$corpus/expected" ]; then
  find "$corpus/expected" -name '*.rtf' | while IFS= read -r f; do
    ln -sf "$(realpath "$f")" "$rtfSeeds/$(echo "${f#"$corpus"/}" | tr '/ ' '__')"
  done
fi
# The bank files and the programs with enciphered procedures beside the
# corpus, when they are there.
for folder in banks banks-more locked containers; do
  [ -d "$corpus/../$folder" ] || continue
  find "$corpus/../$folder" -maxdepth 1 -type f ! -name README.md | while IFS= read -r f; do
    ln -sf "$(realpath "$f")" "$seeds/${folder}_$(basename "$f" | tr ' ' '_')"
  done
done
# A 16 MiB quarantine instead of 256: freed blocks still wait long enough to
# catch a use after free within an input, and fresh memory (a page fault for
# every first touch) is needed far less often.
export ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=16
# One fuzzing process: nothing else adds to its corpus folder, so it need not
# read the folder again every second (-reload=0).
build/fuzz/bin/load_amos_fuzzer -max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb=4096 -reload=0 \
  -dict=tests/fuzz/amos.dict -artifact_prefix="$work/" -print_final_stats=1 "$work/programs" "$seeds"
build/fuzz/bin/rtf_reader_fuzzer -max_total_time="$(( (seconds + 2) / 3 ))" -max_len="$max_len" -reload=0 \
  -dict=tests/fuzz/amos.dict -artifact_prefix="$work/rtf-" -print_final_stats=1 "$work/rtf" "$rtfSeeds"
