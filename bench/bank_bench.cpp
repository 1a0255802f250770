// Bank reading speed: listing the banks of the 1 MiB benchmark program and of
// a real bank set, unpacking the 960 x 160 packed picture of a real bank, and
// encoding every picture of the real bank files as PNG.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "bank_kinds.h"
#include "bank_outputs.h"
#include "png_encoder.h"
#include "bank_set.h"
#include "packed_picture.h"

namespace {

using namespace zarvex;

std::vector<std::uint8_t> readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (bytes.empty()) {
    std::cerr << "cannot read " << path << '\n';
    std::exit(1);
  }
  return bytes;
}

std::string bankFile(const char* name) {
  const char* folder = std::getenv("ZARVEX_BANKS_DIR");
  return std::string(folder != nullptr ? folder : "banks") + "/" + name;
}

void listAll(benchmark::State& s, const std::vector<std::uint8_t>& bytes) {
  for (auto _ : s) {
    std::string listing;
    for (const Bank& bank : readBanks(bytes).banks) listing += bankListingLine(bank) + '\n';
    benchmark::DoNotOptimize(listing.data());
  }
  s.SetBytesProcessed(static_cast<std::int64_t>(s.iterations()) * static_cast<std::int64_t>(bytes.size()));
}

void BM_ListBanksOfBenchProgram(benchmark::State& s) {
  const char* path = std::getenv("ZARVEX_BENCH_INPUT");
  listAll(s, readFile(path != nullptr ? path : "bench.AMOS"));
}
BENCHMARK(BM_ListBanksOfBenchProgram)->Unit(benchmark::kMicrosecond)->Repetitions(10)->ReportAggregatesOnly(true);

void BM_ListBanksOfBankSet(benchmark::State& s) { listAll(s, readFile(bankFile("Install_Banks.Abs"))); }
BENCHMARK(BM_ListBanksOfBankSet)->Unit(benchmark::kMicrosecond)->Repetitions(10)->ReportAggregatesOnly(true);

void BM_UnpackPicture960x160(benchmark::State& s) {
  const auto bytes = readFile(bankFile("level1_screen.abk"));
  const Bank bank = readBanks(bytes).banks.at(0);
  for (auto _ : s) {
    const PackedPicture picture = unpackPicture(bank);
    benchmark::DoNotOptimize(picture.picture.rgb.data());
  }
  s.SetItemsProcessed(static_cast<std::int64_t>(s.iterations()) * 960 * 160);
}
BENCHMARK(BM_UnpackPicture960x160)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

// The biggest real resource bank read whole, as its view and its extraction
// read it: the tables, the palette, every image unpacked, the texts.
void BM_ReadResourceBank(benchmark::State& s) {
  const auto bytes = readFile(bankFile("Example_Resource.Abk"));
  const Bank bank = readBanks(bytes).banks.at(0);
  for (auto _ : s) {
    std::size_t pixels = 0;
    forEachBankOutput("bench", bank, [&](const BankOutput& output) {
      if (output.picture != nullptr) pixels += output.picture->rgb.size();
    });
    benchmark::DoNotOptimize(pixels);
  }
}
BENCHMARK(BM_ReadResourceBank)->Unit(benchmark::kMicrosecond)->Repetitions(10)->ReportAggregatesOnly(true);

// Every picture an extraction of the bank folder writes (sprites, icons,
// packed pictures, resources), made once, encoded as PNG each iteration: the
// encoder's share of --extract. "png_bytes" is what the files would hold.
void BM_EncodeBankPictures(benchmark::State& s) {
  const char* folder = std::getenv("ZARVEX_BANKS_DIR");
  std::vector<BankPicture> pictures;
  for (const auto& entry : std::filesystem::directory_iterator(folder != nullptr ? folder : "banks")) {
    if (!entry.is_regular_file() || entry.path().filename() == "README.md") continue;
    const std::vector<std::uint8_t> bytes = readFile(entry.path().string());
    for (const Bank& bank : readBanks(bytes).banks) {
      forEachBankOutput("bench", bank, [&](const BankOutput& output) {
        if (output.picture != nullptr) pictures.push_back(*output.picture);
      });
    }
  }
  std::size_t bytes = 0;
  for (auto _ : s) {
    bytes = 0;
    for (const BankPicture& picture : pictures) bytes += encodePng(picture).size();
    benchmark::DoNotOptimize(bytes);
  }
  s.counters["pictures"] = static_cast<double>(pictures.size());
  s.counters["png_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_EncodeBankPictures)->Unit(benchmark::kMillisecond)->Repetitions(10)->ReportAggregatesOnly(true);

}  // namespace
