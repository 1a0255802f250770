// libFuzzer target: any byte string as a file image through both listing
// styles, as a program or bank file through the bank reader, and as a disk
// image or archive through the container readers.
// Built by the "fuzz" preset (clang); run with `make fuzz`.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "amos_loader.h"
#include "bank_kinds.h"
#include "bank_outputs.h"
#include "bank_set.h"
#include "complete_decoder.h"
#include "adf_image.h"
#include "complete_walk.h"
#include "container_files.h"
#include "discarding_listing_view.h"
#include "runtime_error.h"

namespace {

class FuzzHost : public zarvex::ListingHost {
 public:
  std::string programTitle() const override { return "Zarvex"; }
  void setWindowTitle(const std::string&) override {}
  bool highlightTicked() const override { return m_highlight; }
  void setHighlightTicked(bool ticked) override { m_highlight = ticked; }
  zarvex::ListingView& view() override { return m_view; }
  zarvex::MessageAnswer showMessage(const std::string&, zarvex::MessageButtons) override {
    if (++m_messages > 2) __builtin_trap();  // at most the damage notice and the summary
    return zarvex::MessageAnswer::Ok;
  }
  void startDecoding() { m_messages = 0; }

 private:
  // Highlighted, and a view that keeps nothing: the document is built and
  // checked but not read back, which the RTF reader's own target covers.
  bool m_highlight = true;
  int m_messages = 0;
  zarvex::DiscardingListingView m_view;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > static_cast<std::size_t>(zarvex::kMaxAmosFileSize)) return 0;
  // The document and text keep their storage from input to input, as they do
  // in the window: large fresh blocks cost AddressSanitizer a mapping each.
  static zarvex::ListingState state;
  // The file image is allocated to its exact size, so that a read past its
  // end is caught (a grown vector would have spare room after it).
  std::vector<std::uint8_t> image(size + 1);
  if (size > 0) std::memcpy(image.data(), data, size);
  state.FileBytes = std::move(image);
  state.FileLength = static_cast<std::int32_t>(size);
  FuzzHost host;
  zarvex::DecodeFileImage(state, host);

  // The decoder on a host takes programs only; the walk under it takes any bytes.
  host.startDecoding();
  try {
    zarvex::DecodeCompleteListing(state, host);
  } catch (const zarvex::RuntimeError&) {
    // Not an AMOS program: refused before anything changed. The walk itself:
    const auto listing = zarvex::WalkCompleteListing({data, size});
    if (listing.damageOffset > static_cast<std::int64_t>(size)) __builtin_trap();
  }

  const zarvex::BankSet banks = zarvex::readBanks({data, size});
  if (banks.damageOffset > static_cast<std::int64_t>(size)) __builtin_trap();
  for (const zarvex::Bank& bank : banks.banks) {
    // Every kind's reader: its summary (which catches its own damage) and
    // its outputs.
    if (const auto summary = zarvex::bankSummary(bank); summary && summary->line.empty()) __builtin_trap();
    try {
      zarvex::forEachBankOutput("fuzz", bank, [](const zarvex::BankOutput&) {});
    } catch (const zarvex::BankDamage&) {
      // Reported as damage; nothing was read outside the bank.
    }
  }
  // The same bytes as a disk image or an archive: every member read, with
  // its kind, and nothing read outside the image.
  const zarvex::ContainerListing listing = zarvex::openContainer({data, size});
  for (const zarvex::ContainerMember& member : listing.members) {
    if (member.path.empty()) __builtin_trap();
    (void)zarvex::memberKindOf(member.bytes);
  }
  if (size >= 1024 && size < 901'120 && data[0] == 'D' && data[1] == 'O' && data[2] == 'S') {
    // Cut-short disk images are read too (the recognition takes them by
    // size only from 1,024 bytes on).
    (void)zarvex::readAdfImage({data, size});
  }
  return 0;
}
