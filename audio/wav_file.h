// The WAV file of rendered music: a 44-byte RIFF header for 16-bit signed
// stereo PCM at 44,100 Hz, then the PCM unchanged.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace zarvex {

// The header alone, for `pcmBytes` bytes of PCM to follow: lets a long
// rendering be written to a file as it comes. The data size it states is
// whole frames (a multiple of 4), at most what the format's 32-bit sizes
// can hold.
std::array<std::uint8_t, 44> stereoWavHeader(std::uint64_t pcmBytes);

// The header followed by `pcm` (left, right, 16-bit signed little-endian),
// as many bytes of it as the header states.
std::vector<std::uint8_t> stereoWavFile(std::span<const std::uint8_t> pcm);

}  // namespace zarvex
