#include "music_render.h"

#include "shared_library.h"

#include <xmp.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <cstdint>
#include <cstring>
#include <stdexcept>

#include "big_endian.h"

namespace zarvex {

namespace {

#define ZARVEX_XMP_ENTRIES(X)                                                                        \
  X(xmp_create_context) X(xmp_end_player) X(xmp_release_module) X(xmp_free_context)                  \
  X(xmp_load_module_from_memory) X(xmp_get_module_info) X(xmp_start_player) X(xmp_set_player)        \
  X(xmp_play_frame) X(xmp_get_frame_info)

// libxmp, loaded the first time music is rendered.
ZARVEX_LIBRARY_API(XmpApi, ZARVEX_LIBXMP_SONAME, ZARVEX_XMP_ENTRIES);

const XmpApi& xmp() { return XmpApi::bound(); }

constexpr std::size_t kBankHeaderSize = 20;
// A song's header up to the end of its 16-byte name (at +12).
constexpr std::size_t kSongHeaderSize = 28;
// libxmp hands out sound for every tick of a playing song; a run of ticks
// without any means the player has gone wrong, and rendering ends rather than
// spin.
constexpr int kMaxSilentTicks = 1000;

std::string libxmpErrorName(int code) {
  switch (-code) {
    case XMP_END: return "end of module";
    case XMP_ERROR_INTERNAL: return "internal error";
    case XMP_ERROR_FORMAT: return "format error";
    case XMP_ERROR_LOAD: return "load error";
    case XMP_ERROR_DEPACK: return "depack error";
    case XMP_ERROR_SYSTEM: return "system error";
    case XMP_ERROR_INVALID: return "invalid parameter";
    case XMP_ERROR_STATE: return "invalid player state";
    default: return "error " + std::to_string(code);
  }
}

}  // namespace

std::vector<std::uint8_t> musicBankForPlayer(std::span<const std::uint8_t> bank, int song) {
  // Each read below is checked first; `field` is where the offset or count
  // that led there is stored.
  const auto need = [&](std::size_t at, std::size_t length, std::size_t field, const std::string& what) {
    if (at > bank.size() || bank.size() - at < length) {
      throw BankDamage{static_cast<std::int64_t>(std::min(field, bank.size())), what};
    }
  };
  need(0, kBankHeaderSize, 0, "the bank's header is cut short");
  if (std::memcmp(bank.data(), "AmBk", 4) != 0) throw BankDamage{0, "not a memory bank"};
  if (std::memcmp(bank.data() + 12, "Music   ", 8) != 0) throw BankDamage{12, "not a Music bank"};

  const std::uint8_t* b = bank.data();
  need(kBankHeaderSize, 12, kBankHeaderSize, "the section offsets are cut short");
  const std::size_t instruments = kBankHeaderSize + u32At(b + kBankHeaderSize);
  const std::size_t songs = kBankHeaderSize + u32At(b + kBankHeaderSize + 4);
  const std::size_t patterns = kBankHeaderSize + u32At(b + kBankHeaderSize + 8);
  need(instruments, 2, kBankHeaderSize, "the instruments section is past the bank's end");
  need(songs, 2, kBankHeaderSize + 4, "the songs section is past the bank's end");
  need(patterns, 2, kBankHeaderSize + 8, "the patterns section is past the bank's end");

  const std::size_t count = u16At(b + songs);
  need(songs + 2, 4 * count, songs, "the song offsets run past the bank's end");
  if (count == 0) throw std::out_of_range("the bank holds no songs");
  if (song < 1 || static_cast<std::size_t>(song) > count) {
    throw std::out_of_range("song " + std::to_string(song) + " asked of a bank of " + std::to_string(count) +
                            (count == 1 ? " song" : " songs"));
  }
  const std::size_t entry = songs + 2 + 4 * static_cast<std::size_t>(song - 1);
  need(songs + u32At(b + entry), kSongHeaderSize, entry,
       "song " + std::to_string(song) + "'s header runs past the bank's end");

  std::vector<std::uint8_t> copy(bank.begin(), bank.end());
  copy[4] = 0;
  copy[5] = 3;
  if (count > 1) {
    copy[songs] = 0;
    copy[songs + 1] = 1;
    std::copy_n(b + entry, 4, copy.begin() + static_cast<std::ptrdiff_t>(songs + 2));
  }
  return copy;
}

// The libxmp context and what has been done with it, undone in reverse
// order however the renderer ends.
struct MusicRenderer::Player {
  xmp_context context = xmp().missing.empty() ? xmp().xmp_create_context() : nullptr;
  bool loaded = false;
  bool started = false;

  Player() = default;
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;
  ~Player() {
    if (started) xmp().xmp_end_player(context);
    if (loaded) xmp().xmp_release_module(context);
    if (context != nullptr) xmp().xmp_free_context(context);
  }
};

MusicRenderer::MusicRenderer(std::span<const std::uint8_t> moduleBytes, std::size_t maxFrames)
    : player_(std::make_unique<Player>()), maxFrames_(maxFrames) {
  if (!xmp().missing.empty()) {
    error_ = "music cannot be played: " + xmp().missing;
    return;
  }
  if (player_->context == nullptr) {
    error_ = "libxmp could not make a player: out of memory";
    return;
  }
  if (moduleBytes.empty()) {
    error_ = "there is no music to play: no bytes";
    return;
  }
  if (moduleBytes.size() > static_cast<std::size_t>(LONG_MAX)) {
    error_ = "the music is too large for libxmp";
    return;
  }
  const int loaded =
      xmp().xmp_load_module_from_memory(player_->context, moduleBytes.data(), static_cast<long>(moduleBytes.size()));
  if (loaded < 0) {
    error_ = (loaded == -XMP_ERROR_FORMAT ? "libxmp does not recognise this music: "
                                          : "libxmp could not load this music: ") +
             libxmpErrorName(loaded);
    return;
  }
  player_->loaded = true;

  xmp_module_info info{};
  xmp().xmp_get_module_info(player_->context, &info);
  if (info.mod != nullptr) name_.assign(info.mod->name, strnlen(info.mod->name, sizeof info.mod->name));
  if (info.num_sequences > 0 && info.seq_data != nullptr) durationMs_ = std::max(info.seq_data[0].duration, 0);

  // 16-bit signed stereo in the machine's byte order.
  const int started = xmp().xmp_start_player(player_->context, kMusicSampleRate, 0);
  if (started < 0) {
    error_ = "libxmp could not play this music: " + libxmpErrorName(started);
    return;
  }
  player_->started = true;
  // libxmp 4.5's defaults, pinned so that its output does not drift with
  // them: linear interpolation, full stereo separation, amplification 1.
  xmp().xmp_set_player(player_->context, XMP_PLAYER_INTERP, XMP_INTERP_LINEAR);
  xmp().xmp_set_player(player_->context, XMP_PLAYER_MIX, 100);
  xmp().xmp_set_player(player_->context, XMP_PLAYER_AMP, 1);
}

MusicRenderer::~MusicRenderer() = default;
MusicRenderer::MusicRenderer(MusicRenderer&&) noexcept = default;
MusicRenderer& MusicRenderer::operator=(MusicRenderer&&) noexcept = default;

std::size_t MusicRenderer::expectedBytes() const {
  if (!error_.empty()) return 0;
  const std::size_t frames = static_cast<std::size_t>(durationMs_) * kMusicSampleRate / 1000;
  return std::min(frames, maxFrames_) * kMusicBytesPerFrame;
}

bool MusicRenderer::finished() const {
  return !error_.empty() || player_ == nullptr || (ended_ && pendingAt_ == pending_.size());
}

// Plays one tick into pending_. False, with ended_ set, when the song is
// over: libxmp stops or starts it again, or the frame limit is reached.
bool MusicRenderer::playNextFrame() {
  pending_.clear();
  pendingAt_ = 0;
  for (int silent = 0; !ended_ && silent < kMaxSilentTicks; ++silent) {
    if (framesFromPlayer_ >= maxFrames_) {
      // Unless the last tick was cut, one more tells whether the song goes
      // on past the limit or ends exactly there.
      if (!reachedLimit_ && xmp().xmp_play_frame(player_->context) == 0) {
        xmp_frame_info frame;
        xmp().xmp_get_frame_info(player_->context, &frame);
        reachedLimit_ = frame.loop_count == 0;
      }
      break;
    }
    if (xmp().xmp_play_frame(player_->context) != 0) break;
    xmp_frame_info frame;
    xmp().xmp_get_frame_info(player_->context, &frame);
    // libxmp counts a loop when the song comes back to a position it has
    // played: that tick is the start of the repeat, not part of the song.
    if (frame.loop_count > 0) break;
    if (frame.buffer == nullptr || frame.buffer_size <= 0) continue;

    std::size_t frames = static_cast<std::size_t>(frame.buffer_size) / kMusicBytesPerFrame;
    if (frames > maxFrames_ - framesFromPlayer_) {
      frames = maxFrames_ - framesFromPlayer_;
      reachedLimit_ = true;
    }
    if (frames == 0) continue;
    framesFromPlayer_ += frames;
    const auto* sound = static_cast<const std::uint8_t*>(frame.buffer);
    pending_.assign(sound, sound + frames * kMusicBytesPerFrame);
    // libxmp writes samples in the machine's order; the PCM is little-endian.
    if constexpr (std::endian::native == std::endian::big) {
      for (std::size_t i = 0; i + 1 < pending_.size(); i += 2) std::swap(pending_[i], pending_[i + 1]);
    }
    return true;
  }
  ended_ = true;
  return false;
}

std::size_t MusicRenderer::renderSome(std::vector<std::uint8_t>& out, std::size_t maxBytes) {
  if (!error_.empty() || player_ == nullptr) return 0;  // refused, or moved from
  maxBytes -= maxBytes % kMusicBytesPerFrame;
  std::size_t added = 0;
  for (;;) {
    // The next tick is played as soon as the last is used up, so that
    // finished() is true right after the song's last bytes are handed out.
    if (pendingAt_ == pending_.size() && (ended_ || !playNextFrame())) break;
    if (added == maxBytes) break;
    const std::size_t n = std::min(pending_.size() - pendingAt_, maxBytes - added);
    const auto from = pending_.begin() + static_cast<std::ptrdiff_t>(pendingAt_);
    out.insert(out.end(), from, from + static_cast<std::ptrdiff_t>(n));
    pendingAt_ += n;
    added += n;
  }
  bytesOut_ += added;
  return added;
}

RenderedMusic renderModule(std::span<const std::uint8_t> moduleBytes, std::size_t maxFrames) {
  RenderedMusic result;
  MusicRenderer renderer(moduleBytes, maxFrames);
  result.error = renderer.error();
  result.name = renderer.name();
  result.durationMs = renderer.durationMs();
  if (!result.ok()) return result;
  result.pcm.reserve(renderer.expectedBytes());
  while (!renderer.finished()) renderer.renderSome(result.pcm, SIZE_MAX);
  result.reachedLimit = renderer.reachedLimit();
  return result;
}

}  // namespace zarvex
