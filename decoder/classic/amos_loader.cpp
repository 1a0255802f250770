#include "amos_loader.h"

#include <memory>
#include <utility>
#include <vector>

#include "file_system.h"

namespace zarvex {

std::string fileNamePart(const std::string& path) {
  const auto slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::unique_ptr<ReadOnlyFile> OpenCheckedFile(const std::string& path, ListingHost& host) {
  if (host.entersProgramFolder()) {
    const std::string& folder = programFolder();
    if (!folder.empty()) setCurrentDirectory(folder);
  }

  auto file = std::make_unique<ReadOnlyFile>(path);
  if (file->size() > kMaxAmosFileSize) {
    host.showMessage("File too big protection error", MessageButtons::Ok);
    return nullptr;
  }
  return file;
}

LoadResult LoadAmosFile(const std::string& path, ListingState& state, ListingHost& host,
                        MorvaneImports& imports) {
  const auto file = OpenCheckedFile(path, host);
  if (!file) {
    LoadResult result;
    result.outcome = LoadResult::Outcome::TooBig;
    return result;
  }

  host.setWindowTitle(host.programTitle() + " - " + fileNamePart(path));

  // Exactly the size checked is read, from the file checked, whatever
  // happens to the path meanwhile.
  std::vector<std::uint8_t> image = file->readImage(file->size());
  state.FileBytes = std::move(image);
  state.FileLength = static_cast<std::int32_t>(file->size());

  return DecodeFileImage(state, host, imports);
}

}  // namespace zarvex
