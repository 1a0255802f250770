#include "complete_decoder.h"

#include <new>

#include "complete_walk.h"
#include "listing_presentation.h"
#include "load_messages.h"
#include "number_text.h"
#include "rtf_text.h"
#include "runtime_error.h"

namespace zarvex {

namespace {

std::span<const std::uint8_t> fileOf(const ListingState& state) {
  return {state.FileBytes.data(), static_cast<std::size_t>(state.FileLength)};
}

}  // namespace

LoadResult DecodeCompleteListing(ListingState& state, ListingHost& host, const std::string& fileName) {
  if (state.FileLength < 0 || state.FileBytes.size() != static_cast<std::size_t>(state.FileLength) + 1) {
    throw RuntimeError(kErrPathAccess, "The file image is not laid out as a load leaves it");
  }
  if (!startsLikeAmosProgram(fileOf(state))) throw RuntimeError(kErrBadFileFormat, notAnAmosProgramMessage(fileName));

  LoadResult result;
  host.view().setTextRtf(std::string());
  // The walk writes into the state's own strings, reusing their storage.
  CompleteListing listing;
  listing.rtf = std::move(state.RtfDocument);
  listing.text = std::move(state.PlainListing);
  listing.wantsDocument = state.WantsDocument;
  listing.wantsText = state.WantsPlainListing;
  listing.textSink = state.PlainListingSink;
  listing.rtfSink = state.RtfDocumentSink;
  try {
    WalkCompleteListing(fileOf(state), listing);
  } catch (const std::bad_alloc&) {
    state.RtfDocument.assign(kRtfHeader);
    state.RtfDocument += '}';
    // A document streamed in part is closed as far as it went.
    if (listing.wantsDocument && listing.rtfSink != nullptr) listing.rtfSink->take("}");
    state.PlainListing.clear();
    host.showMessage("Error" + messageNumber(kErrOutOfMemory) + ": Out of memory", MessageButtons::Ok);
    result.outcome = LoadResult::Outcome::Cancelled;
    return result;
  }
  state.RtfDocument = std::move(listing.rtf);
  state.PlainListing = std::move(listing.text);
  result.extensionCalls = listing.extensionTokens;
  result.undefinedCalls = listing.unknownTokens;
  result.earlyEndOffset = listing.damageOffset;
  PresentListing(host, state);

  switch (listing.damage) {
    case CompleteListing::Damage::None:
      break;
    case CompleteListing::Damage::EndsEarly:
      result.outcome = LoadResult::Outcome::EndedEarly;
      host.showMessage(earlyEndMessage(listing.damageOffset), MessageButtons::Ok);
      break;
    case CompleteListing::Damage::OutsideProgram:
      result.outcome = LoadResult::Outcome::Damaged;
      host.showMessage(damagedProgramMessage(listing.damageOffset), MessageButtons::Ok);
      break;
    case CompleteListing::Damage::EncipheredProcedure:
      result.outcome = LoadResult::Outcome::Damaged;
      host.showMessage(encipheredProcedureMessage(listing.damageOffset), MessageButtons::Ok);
      break;
  }
  if (result.extensionCalls > 0 || result.undefinedCalls > 0) {
    host.showLoadSummary(tokenSummaryMessage(result.extensionCalls, result.undefinedCalls));
  }
  return result;
}

}  // namespace zarvex
