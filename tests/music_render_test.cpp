// Rendering AMOS music with libxmp: the real Music bank and Tracker module
// against the digests of their published PCM, the bank copies libxmp needs
// (another bank number, another song), piecewise and threaded rendering,
// the frame limit, damaged input, and the WAV header.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <stdexcept>
#include <thread>
#include <utility>

#include "bank_files.h"
#include "md5.h"
#include "music_render.h"
#include "wav_file.h"

namespace zarvex {
namespace {

using testing::md5Hex;

using Bytes = std::vector<std::uint8_t>;

Bytes readFile(const std::filesystem::path& path) {
  const std::string text = testing::readBytes(path);
  return {text.begin(), text.end()};
}

std::filesystem::path moreBankFolder() { return testing::corpusFolder().parent_path() / "banks-more"; }

// Music.abk is a single bank file: the file is the bank, bank 3, one song.
const Bytes& musicBank() {
  static const Bytes bytes = readFile(testing::bankFolder() / "Music.abk");
  return bytes;
}

// The Tracker bank's module: its data up to the module's own length.
constexpr std::size_t kTrackerModuleSize = 42'964;
const Bytes& trackerModule() {
  static const Bytes bytes = [] {
    const Bytes bank = readFile(moreBankFolder() / "Tracker.Abk");
    if (bank.size() < 20 + kTrackerModuleSize) return Bytes{};
    return Bytes(bank.begin() + 20, bank.begin() + 20 + kTrackerModuleSize);
  }();
  return bytes;
}

constexpr std::size_t kMusicBytes = 56'645'568;
constexpr const char* kMusicMd5 = "ac7d9ea5b69c2a60ab2ef34bd3c12a70";
constexpr std::size_t kTrackerBytes = 18'966'528;
constexpr const char* kTrackerMd5 = "052e007084ef52e863c1d597259a8728";

// The whole of Music.abk's song, rendered once for every test that needs it.
const RenderedMusic& renderedMusicBank() {
  static const RenderedMusic music = renderModule(musicBankForPlayer(musicBank(), 1));
  return music;
}

#define SKIP_WITHOUT_MUSIC()                                                                   \
  SKIP_WITHOUT_BANKS();                                                                        \
  if (!std::filesystem::exists(moreBankFolder() / "Tracker.Abk") || trackerModule().empty()) \
  GTEST_SKIP() << "no Tracker bank at " << moreBankFolder()

void putU16(Bytes& bytes, std::size_t at, std::uint32_t value) {
  bytes[at] = static_cast<std::uint8_t>(value >> 8);
  bytes[at + 1] = static_cast<std::uint8_t>(value);
}
void putU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  putU16(bytes, at, value >> 16);
  putU16(bytes, at + 2, value & 0xFFFF);
}
std::uint32_t u32(const Bytes& bytes, std::size_t at) {
  return std::uint32_t{bytes[at]} << 24 | std::uint32_t{bytes[at + 1]} << 16 | std::uint32_t{bytes[at + 2]} << 8 |
         bytes[at + 3];
}

// Music.abk's layout: data at 20, the songs section at S, song 1's header at
// S + 6 running up to the patterns section.
struct MusicLayout {
  std::size_t songs;
  std::size_t songHeader;
  std::size_t patterns;
};
MusicLayout musicLayout(const Bytes& bank) {
  const std::size_t songs = 20 + u32(bank, 24);
  return {songs, songs + u32(bank, songs + 2), 20 + u32(bank, 28)};
}

// A song header starts with the offsets (from the header) of its four
// channels' lists of patterns, a u16 each: moving the first channel's on by
// one entry makes it play its second pattern first, a different sound.
void skipFirstPatternOfChannel0(Bytes& bank, std::size_t songHeader) {
  putU16(bank, songHeader, (std::uint32_t{bank[songHeader]} << 8 | bank[songHeader + 1]) + 2);
}

// A two-song bank made from Music.abk: a second song offset in the table,
// and a second copy of the song (header, position lists) after the first,
// with its first channel a pattern ahead. Offsets inside a song count from
// its header, so the copy needs no other change.
Bytes twoSongBank() {
  const Bytes& bank = musicBank();
  const MusicLayout at = musicLayout(bank);
  const std::size_t songLength = at.patterns - at.songHeader;
  const Bytes song(bank.begin() + static_cast<std::ptrdiff_t>(at.songHeader),
                   bank.begin() + static_cast<std::ptrdiff_t>(at.patterns));

  Bytes two(bank.begin(), bank.begin() + static_cast<std::ptrdiff_t>(at.songHeader));
  two.insert(two.end(), 4, 0);  // room for the second offset
  two.insert(two.end(), song.begin(), song.end());
  two.insert(two.end(), song.begin(), song.end());
  two.insert(two.end(), bank.begin() + static_cast<std::ptrdiff_t>(at.patterns), bank.end());

  const std::size_t added = 4 + songLength;
  putU32(two, 8, u32(bank, 8) + static_cast<std::uint32_t>(added));  // the bank's length
  putU32(two, 28, u32(bank, 28) + static_cast<std::uint32_t>(added));  // the patterns section
  putU16(two, at.songs, 2);
  const auto first = static_cast<std::uint32_t>(at.songHeader + 4 - at.songs);
  putU32(two, at.songs + 2, first);
  putU32(two, at.songs + 6, first + static_cast<std::uint32_t>(songLength));
  skipFirstPatternOfChannel0(two, at.songHeader + 4 + songLength);
  return two;
}

TEST(MusicRenderTest, RealMusicBankAndTrackerModuleRenderToTheirKnownSound) {
  SKIP_WITHOUT_MUSIC();
  const RenderedMusic& music = renderedMusicBank();
  ASSERT_TRUE(music.ok()) << music.error;
  EXPECT_EQ(music.name, "GMC music!");
  EXPECT_EQ(music.pcm.size(), kMusicBytes);
  EXPECT_EQ(md5Hex(music.pcm), kMusicMd5);
  EXPECT_FALSE(music.reachedLimit);

  const RenderedMusic tracker = renderModule(trackerModule());
  ASSERT_TRUE(tracker.ok()) << tracker.error;
  EXPECT_EQ(tracker.name, "");
  EXPECT_EQ(tracker.pcm.size(), kTrackerBytes);
  EXPECT_EQ(md5Hex(tracker.pcm), kTrackerMd5);
  EXPECT_FALSE(tracker.reachedLimit);
}

TEST(MusicRenderTest, LengthIsKnownBeforeRendering) {
  SKIP_WITHOUT_MUSIC();
  const MusicRenderer music(musicBankForPlayer(musicBank(), 1));
  EXPECT_EQ(music.durationMs(), 321'120);
  EXPECT_EQ(music.expectedBytes(), kMusicBytes);
  const MusicRenderer tracker(trackerModule());
  EXPECT_EQ(tracker.durationMs(), 107'520);
  EXPECT_EQ(tracker.expectedBytes(), kTrackerBytes);
  // A limit shortens what is to come.
  EXPECT_EQ(MusicRenderer(trackerModule(), 1000).expectedBytes(), 4000u);
}

// What a player does: small pieces of whole frames, and the renderer handed
// over (moved) half way, as to a worker; the same bytes as all at once.
TEST(MusicRenderTest, RenderingPieceByPieceGivesTheSameSound) {
  SKIP_WITHOUT_MUSIC();
  MusicRenderer first(trackerModule());
  ASSERT_EQ(first.error(), "");
  Bytes pcm;
  testing::Md5 md5;
  std::size_t pieces = 0;
  const auto renderPiece = [&](MusicRenderer& renderer, std::size_t maxBytes) {
    pcm.clear();
    const std::size_t added = renderer.renderSome(pcm, maxBytes);
    EXPECT_EQ(added, pcm.size());
    EXPECT_LE(added, maxBytes);
    EXPECT_EQ(added % 4, 0u);
    md5.add(pcm);
    ++pieces;
    return added;
  };
  while (first.bytesRendered() < kTrackerBytes / 2) ASSERT_EQ(renderPiece(first, 4099), 4096u);
  MusicRenderer second(std::move(first));
  EXPECT_TRUE(first.finished());
  EXPECT_EQ(first.renderSome(pcm, 4096), 0u);
  while (!second.finished()) {
    ASSERT_LT(pieces, kTrackerBytes) << "the renderer never finishes";
    renderPiece(second, 3 * 4096 + 2);
  }
  EXPECT_EQ(second.bytesRendered(), kTrackerBytes);
  EXPECT_EQ(md5.hex(), kTrackerMd5);
  EXPECT_EQ(second.renderSome(pcm, 4096), 0u);
}

// Each renderer has its own libxmp context: two at once on two threads, each
// loaded from bytes that are gone before it renders, sound as one alone.
TEST(MusicRenderTest, RenderersOnSeparateThreadsDoNotDisturbEachOther) {
  SKIP_WITHOUT_MUSIC();
  std::vector<MusicRenderer> renderers;
  for (int i = 0; i < 2; ++i) {
    Bytes copy = trackerModule();
    renderers.emplace_back(copy);
    std::fill(copy.begin(), copy.end(), 0xAA);
  }
  std::string digests[2];
  std::vector<std::thread> threads;
  for (int i = 0; i < 2; ++i) {
    threads.emplace_back([&, i] {
      Bytes pcm;
      while (!renderers[i].finished()) renderers[i].renderSome(pcm, 1 << 16);
      digests[i] = md5Hex(pcm);
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(digests[0], kTrackerMd5);
  EXPECT_EQ(digests[1], kTrackerMd5);
}

TEST(MusicRenderTest, FrameLimitCutsExactly) {
  SKIP_WITHOUT_MUSIC();
  EXPECT_EQ(kMaxMusicFrames, 26'460'000u);
  const Bytes player = musicBankForPlayer(musicBank(), 1);
  const Bytes& whole = renderedMusicBank().pcm;
  ASSERT_EQ(whole.size(), kMusicBytes);

  // Mid-tick (a tick here is 882 frames or so), and nothing at all.
  for (std::size_t frames : {12'345u, 1u, 0u}) {
    const RenderedMusic cut = renderModule(player, frames);
    ASSERT_TRUE(cut.ok()) << cut.error;
    EXPECT_EQ(cut.pcm.size(), frames * 4) << frames;
    EXPECT_TRUE(cut.reachedLimit) << frames;
    EXPECT_TRUE(std::equal(cut.pcm.begin(), cut.pcm.end(), whole.begin())) << frames;
  }

  // A limit of exactly the song's length, and one frame less.
  const RenderedMusic tracker = renderModule(trackerModule(), kTrackerBytes / 4);
  EXPECT_EQ(tracker.pcm.size(), kTrackerBytes);
  EXPECT_FALSE(tracker.reachedLimit);
  const RenderedMusic shorter = renderModule(trackerModule(), kTrackerBytes / 4 - 1);
  EXPECT_EQ(shorter.pcm.size(), kTrackerBytes - 4);
  EXPECT_TRUE(shorter.reachedLimit);
  EXPECT_TRUE(std::equal(shorter.pcm.begin(), shorter.pcm.end(), tracker.pcm.begin()));
}

TEST(MusicBankForPlayerTest, AnyBankNumberIsHandedToLibxmpAsBank3) {
  SKIP_WITHOUT_MUSIC();
  EXPECT_EQ(musicBankForPlayer(musicBank(), 1), musicBank());  // bank 3, one song: unchanged

  Bytes renumbered = musicBank();
  putU16(renumbered, 4, 7);
  // libxmp reads that word as a type of its own and refuses the bank as it is.
  EXPECT_EQ(renderModule(renumbered, 4410).error, "libxmp does not recognise this music: format error");
  const Bytes player = musicBankForPlayer(renumbered, 1);
  EXPECT_EQ(player, musicBank());
  EXPECT_TRUE(renderModule(player, 4410).ok());
}

// A second song, the first one with a channel a pattern ahead: each song number
// gives that song's sound, and song 2 sounds as a one-song bank of it does.
TEST(MusicBankForPlayerTest, EachSongOfAManySongBankIsPlayedAlone) {
  SKIP_WITHOUT_MUSIC();
  constexpr std::size_t kFrames = 5 * 44'100;
  const MusicLayout at = musicLayout(musicBank());
  const Bytes two = twoSongBank();
  EXPECT_EQ(renderModule(two, kFrames).error, "libxmp could not load this music: load error");

  Bytes changedAlone = musicBank();
  skipFirstPatternOfChannel0(changedAlone, at.songHeader);
  const RenderedMusic song1 = renderModule(musicBankForPlayer(two, 1), kFrames);
  const RenderedMusic song2 = renderModule(musicBankForPlayer(two, 2), kFrames);
  const RenderedMusic alone = renderModule(changedAlone, kFrames);
  ASSERT_TRUE(song1.ok()) << song1.error;
  ASSERT_TRUE(song2.ok()) << song2.error;
  ASSERT_TRUE(alone.ok()) << alone.error;
  EXPECT_EQ(md5Hex(song1.pcm), md5Hex(std::span(renderedMusicBank().pcm).first(kFrames * 4)));
  EXPECT_EQ(md5Hex(song2.pcm), md5Hex(alone.pcm));
  EXPECT_NE(song1.pcm, song2.pcm);

  EXPECT_THROW(musicBankForPlayer(two, 3), std::out_of_range);
  EXPECT_THROW(musicBankForPlayer(two, 0), std::out_of_range);
  EXPECT_THROW(musicBankForPlayer(musicBank(), 2), std::out_of_range);
}

// Offsets and counts that point outside the bank: damage, found before libxmp
// sees the bytes, at the field that points wrong.
TEST(MusicBankForPlayerTest, DamagedBanksAreReportedWhereTheyGoWrong) {
  SKIP_WITHOUT_MUSIC();
  const MusicLayout at = musicLayout(musicBank());
  const auto damageAt = [](const Bytes& bank) -> std::int64_t {
    try {
      musicBankForPlayer(bank, 1);
    } catch (const BankDamage& damage) {
      EXPECT_FALSE(damage.what.empty());
      return damage.offset;
    }
    return -1;
  };
  const auto patched = [&](std::size_t field, std::uint32_t value, bool wide) {
    Bytes bank = musicBank();
    wide ? putU32(bank, field, value) : putU16(bank, field, value);
    return bank;
  };
  const auto size = static_cast<std::uint32_t>(musicBank().size());
  EXPECT_EQ(damageAt(patched(20, size, true)), 20);          // instruments past the end
  EXPECT_EQ(damageAt(patched(24, size - 21, true)), 24);     // songs: its count cut short
  EXPECT_EQ(damageAt(patched(28, 0xFFFFFFFF, true)), 28);    // patterns far past the end
  EXPECT_EQ(damageAt(patched(at.songs, 0xFFFF, false)), static_cast<std::int64_t>(at.songs));
  EXPECT_EQ(damageAt(patched(at.songs + 2, size - 20, true)), static_cast<std::int64_t>(at.songs + 2));

  Bytes dataAlone(musicBank().begin() + 20, musicBank().end());
  EXPECT_EQ(damageAt(dataAlone), 0);
  Bytes notMusic = musicBank();
  std::memcpy(notMusic.data() + 12, "Tracker ", 8);
  EXPECT_EQ(damageAt(notMusic), 12);
}

// Every prefix of the bank: damage or a copy, and what libxmp makes of the
// copy (refusal or a short sound), never a crash; garbage is refused.
TEST(MusicBankForPlayerTest, CutShortOrGarbageInputNeverCrashes) {
  SKIP_WITHOUT_MUSIC();
  const Bytes& bank = musicBank();
  // The last read needed: the patterns section's count, after the song.
  const MusicLayout at = musicLayout(bank);
  const std::size_t needed = std::max(at.patterns + 2, at.songHeader + 28);
  for (std::size_t length = 0; length < bank.size(); length += length < 64 ? 1 : 509) {
    const std::span<const std::uint8_t> prefix(bank.data(), length);
    EXPECT_LE(renderModule(prefix, 44'100).pcm.size(), 44'100u * 4) << length;
    if (length < needed) {
      EXPECT_THROW(musicBankForPlayer(prefix, 1), BankDamage) << length;
      continue;
    }
    const Bytes player = musicBankForPlayer(prefix, 1);
    EXPECT_EQ(player.size(), length);
    const RenderedMusic music = renderModule(player, 44'100);
    EXPECT_LE(music.pcm.size(), 44'100u * 4);
    if (!music.ok()) {
      EXPECT_TRUE(music.pcm.empty());
    }
  }
  for (std::size_t length : {std::size_t{0}, std::size_t{1}, std::size_t{1083}, std::size_t{1084}, std::size_t{20'000},
                             kTrackerModuleSize - 1}) {
    const RenderedMusic module = renderModule(std::span(trackerModule()).first(length), 44'100);
    EXPECT_LE(module.pcm.size(), 44'100u * 4);
  }

  // The data without its bank header, and random bytes: libxmp's refusal.
  const Bytes dataAlone(bank.begin() + 20, bank.end());
  EXPECT_EQ(renderModule(dataAlone).error, "libxmp does not recognise this music: format error");
  std::mt19937 random(1992);
  Bytes garbage(60'000);
  for (auto& byte : garbage) byte = static_cast<std::uint8_t>(random());
  const MusicRenderer refused(garbage);
  EXPECT_EQ(refused.error(), "libxmp does not recognise this music: format error");
  EXPECT_TRUE(refused.finished());
  EXPECT_EQ(refused.expectedBytes(), 0u);
  EXPECT_FALSE(renderModule({}).ok());
}

// The digest that the rendering tests rely on, fed in pieces that straddle
// its 64-byte blocks and its padding boundary.
TEST(Md5Test, MatchesKnownDigestsWhateverThePieces) {
  const std::pair<std::size_t, const char*> known[] = {
      {0, "d41d8cd98f00b204e9800998ecf8427e"},  {3, "b95f67f61ebb03619622d798f45fc2d3"},
      {55, "6912ee65fff2d9f9ce2508cddf8bcda0"}, {56, "51fdd1acda72405dfdfa03fcb85896d7"},
      {63, "48a6295221902e8e0938f773a7185e72"}, {64, "b2d3f56bc197fd985d5965079b5e7148"},
      {65, "8bd7053801c768420faf816fadba971c"}, {200, "fb7001d34b8e82c9b579be5005d5b0a5"}};
  for (const auto& [length, digest] : known) {
    Bytes bytes(length);
    for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<std::uint8_t>(i % 251);
    EXPECT_EQ(md5Hex(bytes), digest) << length;
    for (std::size_t piece : {1u, 7u, 64u}) {
      testing::Md5 md5;
      for (std::size_t i = 0; i < length; i += piece) md5.add(std::span(bytes).subspan(i, std::min(piece, length - i)));
      EXPECT_EQ(md5.hex(), digest) << length << " in pieces of " << piece;
    }
  }
}

TEST(WavFileTest, HeaderDescribes16BitStereoAt44100Hz) {
  const Bytes pcm{1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  const Bytes wav = stereoWavFile(pcm);
  // The data chunk holds whole frames only: the last two bytes are left out.
  const Bytes expected{'R', 'I', 'F', 'F', 44, 0, 0, 0, 'W', 'A', 'V', 'E',  //
                       'f', 'm', 't', ' ', 16, 0, 0, 0,                      //
                       1, 0, 2, 0,                                           // PCM, stereo
                       0x44, 0xAC, 0, 0, 0x10, 0xB1, 2, 0,                   // 44100, 176400
                       4, 0, 16, 0,                                          //
                       'd', 'a', 't', 'a', 8, 0, 0, 0,                       //
                       1, 2, 3, 4, 5, 6, 7, 8};
  EXPECT_EQ(wav, expected);

  // The header alone, for a rendering written as it comes.
  const auto header = stereoWavHeader(kMusicBytes);
  EXPECT_TRUE(std::equal(header.begin() + 8, header.begin() + 40, expected.begin() + 8));
  const Bytes sizes(header.begin() + 40, header.end());
  EXPECT_EQ(sizes, (Bytes{0xC0, 0x57, 0x60, 0x03}));  // 56,645,568 = 0x036057C0
  EXPECT_EQ(Bytes(header.begin() + 4, header.begin() + 8), (Bytes{0xE4, 0x57, 0x60, 0x03}));

  // Sizes past 32 bits stop at the largest the fields can hold.
  const auto huge = stereoWavHeader(std::uint64_t{1} << 33);
  EXPECT_EQ(Bytes(huge.begin() + 4, huge.begin() + 8), (Bytes{0xFC, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Bytes(huge.begin() + 40, huge.end()), (Bytes{0xD8, 0xFF, 0xFF, 0xFF}));
}

}  // namespace
}  // namespace zarvex
