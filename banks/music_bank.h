// Music banks ("Music   "): AMOS's own music, three sections (instruments
// with their samples, songs, patterns of command words) found through three
// u32 offsets at the data's start, each section starting with a u16 count.
// Song k's header is at the songs section + the k-th u32 after its count; its
// name is the 16 bytes 12 bytes into it. Zarvex hears it through libxmp
// (audio/); this reads what the summary and the window show.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "bank_set.h"

namespace zarvex {

struct MusicBank {
  int instruments = 0;
  int patterns = 0;
  std::vector<std::span<const std::uint8_t>> songNames;  // 16 bytes each, zero bytes dropped by the views
};

// The three sections' counts. Throws BankDamage when a read falls outside
// the data. With `withSongNames`, each song's name too.
MusicBank readMusicBank(const Bank& bank, bool withSongNames = true);

// "B Music: I instruments, S songs, P patterns".
std::string musicSummary(const Bank& bank, const MusicBank& music);

}  // namespace zarvex
