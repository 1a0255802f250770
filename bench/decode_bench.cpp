// Decoding speed: the 1 MiB benchmark program from file image to finished
// listing document, and the RTF reading the views do with it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>

#include "amos_loader.h"
#include "complete_decoder.h"
#include "complete_walk.h"
#include "memory_listing_view.h"
#include "rtf_reader.h"
#include "silent_host.h"

namespace {

using namespace zarvex;


std::string benchInputPath() {
  const char* path = std::getenv("ZARVEX_BENCH_INPUT");
  return path != nullptr ? path : "bench.AMOS";
}

std::vector<std::uint8_t> readInput() {
  std::ifstream in(benchInputPath(), std::ios::binary);
  std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (bytes.empty()) {
    std::cerr << "cannot read the benchmark input " << benchInputPath() << " (set ZARVEX_BENCH_INPUT)\n";
    std::exit(1);
  }
  return bytes;
}

// From file image to finished listing document through `decode`, as the
// window and zarvex-list run it.
template <typename Decode>
void decodeImage(benchmark::State& s, Decode decode) {
  const auto bytes = readInput();
  SilentHost host;
  ListingState state;
  // The file image as a load leaves it; decoding reads it and leaves it so.
  state.FileBytes = bytes;
  state.FileBytes.push_back(0);
  state.FileLength = static_cast<std::int32_t>(bytes.size());
  for (auto _ : s) {
    decode(state, host);
    benchmark::DoNotOptimize(state.RtfDocument.data());
  }
  s.SetBytesProcessed(static_cast<std::int64_t>(s.iterations()) * static_cast<std::int64_t>(bytes.size()));
  // bytes_per_second counts in MiB; the goal is in decimal megabytes.
  s.counters["MB"] = benchmark::Counter(static_cast<double>(s.iterations()) * static_cast<double>(bytes.size()) / 1e6,
                                        benchmark::Counter::kIsRate);
  s.counters["document_bytes"] = static_cast<double>(state.RtfDocument.size());
}

void BM_DecodeFileImage(benchmark::State& s) {
  decodeImage(s, [](ListingState& state, ListingHost& host) { DecodeFileImage(state, host); });
}
BENCHMARK(BM_DecodeFileImage)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

void BM_DecodeCompleteListing(benchmark::State& s) {
  decodeImage(s, [](ListingState& state, ListingHost& host) { DecodeCompleteListing(state, host); });
}
BENCHMARK(BM_DecodeCompleteListing)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

// The complete walk alone: document and text from the bytes.
void BM_WalkCompleteListing(benchmark::State& s) {
  const auto bytes = readInput();
  for (auto _ : s) {
    const auto listing = WalkCompleteListing(bytes);
    benchmark::DoNotOptimize(listing.rtf.data());
  }
  s.SetBytesProcessed(static_cast<std::int64_t>(s.iterations()) * static_cast<std::int64_t>(bytes.size()));
}
BENCHMARK(BM_WalkCompleteListing)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

void BM_ReadListingRtf(benchmark::State& s) {
  const auto bytes = readInput();
  SilentHost host;
  ListingState state;
  state.FileBytes = bytes;
  state.FileBytes.push_back(0);
  state.FileLength = static_cast<std::int32_t>(bytes.size());
  DecodeFileImage(state, host);
  for (auto _ : s) {
    auto text = readRtf(state.RtfDocument);
    benchmark::DoNotOptimize(text.text.data());
  }
  s.SetBytesProcessed(static_cast<std::int64_t>(s.iterations()) * static_cast<std::int64_t>(state.RtfDocument.size()));
}
BENCHMARK(BM_ReadListingRtf)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
