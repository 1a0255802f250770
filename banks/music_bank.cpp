#include "music_bank.h"

#include "bank_data.h"

namespace zarvex {

MusicBank readMusicBank(const Bank& bank, bool withSongNames) {
  const BankData data(bank);
  MusicBank music;
  const std::uint64_t instruments = data.u32(0, "the music bank's header is cut short");
  const std::uint64_t songs = data.u32(4, "the music bank's header is cut short");
  const std::uint64_t patterns = data.u32(8, "the music bank's header is cut short");
  music.instruments = static_cast<int>(data.u16(instruments, "the instruments lie outside the bank"));
  const std::uint32_t songCount = data.u16(songs, "the songs lie outside the bank");
  music.patterns = static_cast<int>(data.u16(patterns, "the patterns lie outside the bank"));
  if (!withSongNames) {
    music.songNames.resize(songCount);
    return music;
  }
  for (std::uint32_t k = 0; k < songCount; ++k) {
    const std::uint64_t song = songs + data.u32(songs + 2 + 4 * std::uint64_t{k}, "the song table is cut short");
    music.songNames.push_back(data.bytes(song + 12, 16, "a song lies outside the bank"));
  }
  return music;
}

std::string musicSummary(const Bank& bank, const MusicBank& music) {
  return std::to_string(bank.number) + " Music: " + std::to_string(music.instruments) + " instruments, " +
         std::to_string(music.songNames.size()) + " songs, " + std::to_string(music.patterns) + " patterns";
}

}  // namespace zarvex
