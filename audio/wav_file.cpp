#include "wav_file.h"

#include <algorithm>

#include "music_render.h"

namespace zarvex {

namespace {

// The data chunk's size for `pcmBytes`: whole frames, and small enough that
// the RIFF size (36 + data) fits 32 bits.
std::uint32_t dataChunkSize(std::uint64_t pcmBytes) {
  const std::uint64_t largest = 0xFFFFFFFFu - 36;
  const std::uint64_t size = std::min(pcmBytes, largest);
  return static_cast<std::uint32_t>(size - size % kMusicBytesPerFrame);
}

}  // namespace

std::array<std::uint8_t, 44> stereoWavHeader(std::uint64_t pcmBytes) {
  const std::uint32_t data = dataChunkSize(pcmBytes);
  std::array<std::uint8_t, 44> h{};
  std::size_t at = 0;
  const auto tag = [&](const char* text) {
    for (int i = 0; i < 4; ++i) h[at++] = static_cast<std::uint8_t>(text[i]);
  };
  const auto little = [&](std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) h[at++] = static_cast<std::uint8_t>(value >> (8 * i));
  };
  constexpr std::uint32_t bytesPerFrame = kMusicBytesPerFrame;
  tag("RIFF");
  little(36 + data, 4);
  tag("WAVE");
  tag("fmt ");
  little(16, 4);                                // the format chunk's size
  little(1, 2);                                 // PCM
  little(2, 2);                                 // stereo
  little(kMusicSampleRate, 4);                  // frames a second
  little(kMusicSampleRate * bytesPerFrame, 4);  // bytes a second
  little(bytesPerFrame, 2);                     // bytes a frame
  little(16, 2);                                // bits a sample
  tag("data");
  little(data, 4);
  return h;
}

std::vector<std::uint8_t> stereoWavFile(std::span<const std::uint8_t> pcm) {
  const auto header = stereoWavHeader(pcm.size());
  const std::size_t data = dataChunkSize(pcm.size());
  std::vector<std::uint8_t> out;
  out.reserve(header.size() + data);
  out.insert(out.end(), header.begin(), header.end());
  out.insert(out.end(), pcm.begin(), pcm.begin() + static_cast<std::ptrdiff_t>(data));
  return out;
}

}  // namespace zarvex
