#!/usr/bin/env bash
# Builds the 1 MiB benchmark program from the corpus's lines, runs the decoder
# benchmarks, then times zarvex-list and the window on it as whole processes.
# Reports medians, each beside its goal; run on an otherwise idle machine.
set -euo pipefail
shopt -s inherit_errexit  # a failed measurement inside $(...) stops the script
cd "$(dirname "$0")/.."
bin=build/default/bin
input=build/default/bench.AMOS
corpus=${ZARVEX_CORPUS_DIR:-$(sed -n 's/^ZARVEX_CORPUS_DIR:PATH=//p' build/default/CMakeCache.txt)}

"$bin/make_bench_input" "$corpus" "$input"
ZARVEX_BENCH_INPUT="$input" ZARVEX_BANKS_DIR="$corpus/../banks" "$bin/zarvex_bench" --benchmark_counters_tabular=true

echo "goals: decode at least 500 MB/s in both styles (BM_DecodeFileImage, BM_DecodeCompleteListing: the MB"
echo "       column, decimal megabytes a second; bytes_per_second is in MiB, 500 MB being 476.8 MiB);"
echo "       bank listing of the 1 MiB input under 1 ms; the 960 x 160 picture unpacked under 5 ms;"
echo "       rendering one minute of music under 0.2 s (BM_RenderOneMinuteOfMusic); the biggest resource bank read"
echo "       whole, its 90 images unpacked (BM_ReadResourceBank): no goal set, for comparison"

# The whole process, start to exit, as a user or script would run it; each
# median with its goal beside it. An empty process (/bin/true) first: what
# starting any program costs on this machine today, a floor under the rest.
empty=build/default/bench-empty.AMOS
printf 'AMOS Basic V134 \0\0\0\0AmBs\0\0' > "$empty"
median_ms() {  # COMMAND...: hyperfine's median in ms
  rm -f build/default/cli_bench.json
  hyperfine -N --warmup 5 --runs 50 --export-json build/default/cli_bench.json "$*" >/dev/null || return 1
  sed -n 's/.*"median": *\([0-9.e-]*\).*/\1/p' build/default/cli_bench.json | head -1 |
    awk '{ printf "%.2f", $1 * 1000 }'
}
run() {  # GOAL_MS ARGUMENTS...
  local goal=$1 ms
  shift
  ms=$(median_ms "$bin/zarvex-list" "$@")
  printf '%-44s median %6s ms   (goal: at most %s ms)\n' "zarvex-list $*" "$ms" "$goal"
}
floor_ms=$(median_ms /bin/true)
printf '%-44s median %6s ms   (no goal: the floor)\n' "/bin/true" "$floor_ms"
run 2.9 --quiet --text "$input"
run 2.9 --quiet --rtf "$input"
run 2.9 --quiet --asc "$input"
run 3.2 --quiet --complete --text "$input"
run 3.2 --quiet --complete --rtf "$input"
run 0.92 "$empty"
# Many files in one call: what each costs on top of its decoding, from 129
# empty programs in one call against one.
many=$(for _ in $(seq 129); do printf '%s ' "$empty"; done)
one_ms=$(median_ms "$bin/zarvex-list" --quiet --text "$empty")
# shellcheck disable=SC2086 # one argument a file
many_ms=$(median_ms "$bin/zarvex-list" --quiet --text $many)
printf '%-44s median %6s us   (goal: at most 20 us)\n' "zarvex-list --text, each of 129 files" \
  "$(awk -v a="$many_ms" -v b="$one_ms" 'BEGIN { printf "%.1f", (a - b) * 1000 / 128 }')"
# Peak memory (GNU time's maximum resident set), the median of 21 runs.
[ -x /usr/bin/time ] || { echo "bench: GNU time is missing: run scripts/setup.sh" >&2; exit 1; }
peak=$(for _ in $(seq 21); do
  /usr/bin/time -f %M "$bin/zarvex-list" --quiet --text "$input" 2>&1 >/dev/null | tail -1
done | sort -n | sed -n 11p)
[[ $peak =~ ^[0-9]+$ ]] || { echo "bench: no peak memory measured: $peak" >&2; exit 1; }
printf '%-44s median %6s KiB  (goal: at most 4096 KiB)\n' "zarvex-list --text, peak memory" "$peak"
# Where programs live: the inventory of the largest disk image (HD, 132
# files), and a search of every program of the corpus.
if [ -f "$corpus/../containers/ffs_hd.adf" ]; then
  run 50 --files "$corpus/../containers/ffs_hd.adf"
fi
hyperfine -N --warmup 3 --runs 30 -i --export-json build/default/cli_bench.json \
  "$bin/zarvex-list --find Rainbow $corpus" >/dev/null
median=$(sed -n 's/.*"median": *\([0-9.e-]*\).*/\1/p' build/default/cli_bench.json | head -1)
printf '%-44s median %6.1f ms   (goal: at most 50 ms)\n' "zarvex-list --find Rainbow CORPUS" \
  "$(awk -v s="$median" 'BEGIN { printf "%.1f", s * 1000 }')"
# Every file of the shared bank folder extracted into a fresh folder (241
# files, each whole or absent after a crash). The folder of the run before is
# moved aside, not deleted: ext4 without a journal passes over the inodes of
# files deleted moments ago when it makes new ones, which would time the
# clean-up rather than the extraction.
banks=$corpus/../banks
if [ -d "$banks" ]; then
  out=build/default/bench-extract
  rm -rf "$out" "$out.old"
  mkdir -p "$out" "$out.old"
  hyperfine -N --warmup 3 --runs 30 --export-json build/default/cli_bench.json \
    --prepare "sh -c 'mv $out \$(mktemp -d -p $out.old) && mkdir $out'" \
    "$bin/zarvex-list --extract $out $(find "$banks" -maxdepth 1 -type f ! -name README.md | sort | tr '\n' ' ')" >/dev/null
  median=$(sed -n 's/.*"median": *\([0-9.e-]*\).*/\1/p' build/default/cli_bench.json | head -1)
  printf '%-44s median %6.1f ms   (goal: at most 25 ms; %s)\n' "zarvex-list --extract DIR BANKS/*" \
    "$(awk -v s="$median" 'BEGIN { printf "%.1f", s * 1000 }')" "$(stat -f -c %T "$out")"
  rm -rf "$out" "$out.old"
fi

if [ -x "$bin/zarvex_window_bench" ]; then
  echo "goals: load and present at most 25 ms, Highlight switch at most 10 ms, style switch 25 ms, a page of scrolling"
  echo "       and Go to Line 2 ms, peak memory at most 60 MB; ten tabs of real programs at most 120 MB"
  QT_QPA_PLATFORM=offscreen "$bin/zarvex_window_bench" "$input"
  QT_QPA_PLATFORM=offscreen "$bin/zarvex_window_bench" --tabs "$corpus"
fi
