// AMOS music made audible: a Music bank ("Music   ", AMOS's own format) or a
// Tracker bank's ProTracker module rendered by libxmp to 16-bit signed
// stereo PCM at 44,100 Hz, little-endian, left sample first.
//
// The player settings are pinned (linear interpolation, full stereo
// separation, amplification 1) so that the same bytes come out on every
// machine with the same libxmp. A song ends where libxmp first loops back
// into it; rendering stops there, or at 10 minutes, whichever comes first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "bank_set.h"

namespace zarvex {

inline constexpr int kMusicSampleRate = 44100;
inline constexpr std::size_t kMusicBytesPerFrame = 4;  // left and right, 16 bits each
// Ten minutes of frames: no real bank comes near it (the longest plays 321 s).
inline constexpr std::size_t kMaxMusicFrames = 600 * static_cast<std::size_t>(kMusicSampleRate);

// The bytes libxmp takes for song `song` (from 1) of a whole Music memory
// bank, its 20-byte "AmBk" header included: a copy whose bank number is 3
// (libxmp reads that word as a type and refuses any other) and, when the
// bank holds more than one song, whose songs count is 1 and whose first song
// offset is that song's (libxmp refuses more than one song).
// Throws BankDamage (offset from the bank's start) when the bank is not a
// Music bank or an offset or count it needs points outside the bank, and
// std::out_of_range when `song` is not between 1 and the songs count.
std::vector<std::uint8_t> musicBankForPlayer(std::span<const std::uint8_t> bank, int song);

// Renders a module (musicBankForPlayer's bytes, or a ProTracker module)
// piece by piece, for a player that must keep its user interface free: load
// once, then ask for the next bytes as the output needs them.
//
// Each renderer has its own libxmp context, so separate renderers can run on
// separate threads at once; one renderer must be used by one thread at a
// time (it may be created on one thread and used on another).
class MusicRenderer {
 public:
  // Loads the module; `moduleBytes` need not outlive the constructor.
  // A module libxmp refuses leaves error() set and finished() true.
  // Rendering stops after `maxFrames` frames even if the song goes on.
  explicit MusicRenderer(std::span<const std::uint8_t> moduleBytes, std::size_t maxFrames = kMaxMusicFrames);
  ~MusicRenderer();
  MusicRenderer(MusicRenderer&&) noexcept;
  MusicRenderer& operator=(MusicRenderer&&) noexcept;
  MusicRenderer(const MusicRenderer&) = delete;
  MusicRenderer& operator=(const MusicRenderer&) = delete;

  // Empty when the module loaded; otherwise one sentence naming libxmp's
  // error, such as "libxmp does not recognise this music: format error".
  const std::string& error() const { return error_; }
  // The module's name as libxmp reads it (may be empty).
  const std::string& name() const { return name_; }
  // The song's length as libxmp works it out before playing, in ms.
  int durationMs() const { return durationMs_; }
  // The PCM bytes the whole rendering will give, from durationMs() and the
  // frame limit: a size to reserve, and a length to show before playing.
  std::size_t expectedBytes() const;

  // Appends up to `maxBytes` bytes of PCM (whole frames: a multiple of 4)
  // to `out` and returns how many it added. Fewer than asked means the end.
  std::size_t renderSome(std::vector<std::uint8_t>& out, std::size_t maxBytes);
  // True once every byte of the song has been handed out (or on an error).
  bool finished() const;
  // True when rendering stopped at the frame limit before the song's end.
  bool reachedLimit() const { return reachedLimit_; }
  std::size_t bytesRendered() const { return bytesOut_; }

 private:
  bool playNextFrame();

  struct Player;
  std::unique_ptr<Player> player_;
  std::string error_;
  std::string name_;
  int durationMs_ = 0;
  std::size_t maxFrames_ = 0;
  std::size_t framesFromPlayer_ = 0;
  std::size_t bytesOut_ = 0;
  std::vector<std::uint8_t> pending_;  // the rest of the last frame libxmp played
  std::size_t pendingAt_ = 0;
  bool ended_ = false;
  bool reachedLimit_ = false;
};

struct RenderedMusic {
  std::vector<std::uint8_t> pcm;  // 16-bit signed stereo little-endian, 44,100 Hz
  std::string error;              // empty when rendered
  std::string name;               // libxmp's name of the module
  int durationMs = 0;             // libxmp's length of the song
  bool reachedLimit = false;      // cut at maxFrames before the song's end

  bool ok() const { return error.empty(); }
};

// The whole song at once. Never throws for bad bytes: error says why.
RenderedMusic renderModule(std::span<const std::uint8_t> moduleBytes, std::size_t maxFrames = kMaxMusicFrames);

}  // namespace zarvex
