// Music rendering speed: one minute of the real Music bank's song through
// libxmp, as the player and the WAV export render it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "music_render.h"

namespace {

using namespace zarvex;

std::vector<std::uint8_t> readBankFile(const char* name) {
  const char* folder = std::getenv("ZARVEX_BANKS_DIR");
  const std::string path = std::string(folder != nullptr ? folder : "banks") + "/" + name;
  std::ifstream in(path, std::ios::binary);
  std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (bytes.empty()) {
    std::cerr << "cannot read " << path << '\n';
    std::exit(1);
  }
  return bytes;
}

void BM_RenderOneMinuteOfMusic(benchmark::State& s) {
  constexpr std::size_t kFrames = 60 * static_cast<std::size_t>(kMusicSampleRate);
  const std::vector<std::uint8_t> module = musicBankForPlayer(readBankFile("Music.abk"), 1);
  for (auto _ : s) {
    const RenderedMusic music = renderModule(module, kFrames);
    if (music.pcm.size() != kFrames * kMusicBytesPerFrame) {
      s.SkipWithError(("rendering failed: " + music.error).c_str());
      break;
    }
    benchmark::DoNotOptimize(music.pcm.data());
  }
  s.SetItemsProcessed(static_cast<std::int64_t>(s.iterations()) * static_cast<std::int64_t>(kFrames));
}
BENCHMARK(BM_RenderOneMinuteOfMusic)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
