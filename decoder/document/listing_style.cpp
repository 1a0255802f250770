#include "listing_style.h"

#include "complete_decoder.h"
#include "complete_walk.h"
#include "file_system.h"
#include "load_messages.h"
#include "runtime_error.h"

namespace zarvex {

namespace {

LoadResult refusedAsTooBig(ListingHost& host) {
  host.showMessage("File too big protection error", MessageButtons::Ok);
  LoadResult result;
  result.outcome = LoadResult::Outcome::TooBig;
  return result;
}

}  // namespace

std::string_view styleName(ListingStyle style) { return style == ListingStyle::Complete ? "complete" : "classic"; }

std::optional<ListingStyle> styleNamed(std::string_view name) {
  if (name == "classic") return ListingStyle::Classic;
  if (name == "complete") return ListingStyle::Complete;
  return std::nullopt;
}

LoadResult LoadListing(const std::string& path, ListingState& state, ListingHost& host, ListingStyle style,
                       MorvaneImports& imports) {
  if (style == ListingStyle::Classic) return LoadAmosFile(path, state, host, imports);
  const auto file = OpenCheckedFile(path, host);
  if (!file) {
    LoadResult result;
    result.outcome = LoadResult::Outcome::TooBig;
    return result;
  }
  const std::int64_t size = file->size();
  std::vector<std::uint8_t> image = file->readImage(size);
  if (!startsLikeAmosProgram({image.data(), static_cast<std::size_t>(size)})) {
    throw RuntimeError(kErrBadFileFormat, notAnAmosProgramMessage(fileNamePart(path)));
  }
  host.setWindowTitle(host.programTitle() + " - " + fileNamePart(path));
  state.FileBytes = std::move(image);
  state.FileLength = static_cast<std::int32_t>(size);
  return DecodeCompleteListing(state, host, fileNamePart(path));
}

LoadResult ListFileBytes(const std::string& name, std::span<const std::uint8_t> bytes, ListingState& state,
                         ListingHost& host, ListingStyle style, MorvaneImports& imports) {
  if (static_cast<std::int64_t>(bytes.size()) > kMaxAmosFileSize) return refusedAsTooBig(host);
  std::vector<std::uint8_t> image;
  image.reserve(bytes.size() + 1);
  image.assign(bytes.begin(), bytes.end());
  image.push_back(0);  // the image's extra zero byte, as a load leaves it
  return ListFileImage(name, std::move(image), state, host, style, imports);
}

LoadResult ListFileImage(const std::string& name, std::vector<std::uint8_t> image, ListingState& state,
                         ListingHost& host, ListingStyle style, MorvaneImports& imports) {
  if (image.empty() || image.back() != 0) {
    throw RuntimeError(kErrPathAccess, "The file image is not laid out as a load leaves it");
  }
  const std::span<const std::uint8_t> bytes(image.data(), image.size() - 1);
  if (static_cast<std::int64_t>(bytes.size()) > kMaxAmosFileSize) return refusedAsTooBig(host);
  if (style == ListingStyle::Complete && !startsLikeAmosProgram(bytes)) {
    throw RuntimeError(kErrBadFileFormat, notAnAmosProgramMessage(fileNamePart(name)));
  }
  host.setWindowTitle(host.programTitle() + " - " + fileNamePart(name));
  state.FileLength = static_cast<std::int32_t>(bytes.size());
  state.FileBytes = std::move(image);
  return DecodeListing(state, host, style, fileNamePart(name), imports);
}

LoadResult DecodeListing(ListingState& state, ListingHost& host, ListingStyle style, const std::string& fileName,
                         MorvaneImports& imports) {
  if (style == ListingStyle::Complete) return DecodeCompleteListing(state, host, fileName);
  return DecodeFileImage(state, host, imports);
}

}  // namespace zarvex
