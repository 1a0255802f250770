#include "file_system.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

#include "runtime_error.h"

namespace zarvex {

namespace fs = std::filesystem;

namespace {
constexpr std::int32_t kErrPathNotFound = 76;
constexpr std::int32_t kErrInputPastEnd = 62;

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};
}  // namespace

std::string programFolder() {
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) return {};
  return exe.parent_path().string();
}

void setCurrentDirectory(const std::string& folder) {
  std::error_code ec;
  fs::current_path(folder, ec);
  if (ec) throw RuntimeError(kErrPathNotFound, "Path not found: " + folder + " (" + ec.message() + ")");
}

std::int64_t fileSize(const std::string& path) {
  std::error_code ec;
  const fs::file_status status = fs::status(path, ec);
  if (ec || !fs::exists(status)) throw RuntimeError(kErrFileNotFound, "File not found: " + path);
  if (!fs::is_regular_file(status)) {
    throw RuntimeError(kErrPathAccess, "Path/File access error: " + path + " is not a file");
  }
  const auto size = fs::file_size(path, ec);
  if (ec) throw RuntimeError(kErrPathAccess, "Path/File access error: " + path + " (" + ec.message() + ")");
  return static_cast<std::int64_t>(size);
}

std::vector<std::uint8_t> readFileImage(const std::string& path, std::int64_t size) {
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) {
    const int error = errno;
    const std::int32_t number = error == ENOENT ? kErrFileNotFound : kErrPathAccess;
    throw RuntimeError(number, (number == kErrFileNotFound ? "File not found: " : "Path/File access error: ") +
                                   path + " (" + std::strerror(error) + ")");
  }
  std::vector<std::uint8_t> image;
  try {
    image.assign(static_cast<std::size_t>(size) + 1, 0);
  } catch (const std::bad_alloc&) {
    throw RuntimeError(kErrOutOfMemory, "Out of memory reading " + path);
  }
  const std::size_t got = std::fread(image.data(), 1, static_cast<std::size_t>(size), file.get());
  if (got != static_cast<std::size_t>(size)) {
    if (std::ferror(file.get())) {
      throw RuntimeError(kErrPathAccess, "Path/File access error: cannot read " + path);
    }
    throw RuntimeError(kErrInputPastEnd, "Input past end of file: " + path + " became shorter while it was read");
  }
  return image;
}

std::string absolutePath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code ec;
  const fs::path absolute = fs::absolute(path, ec);
  return ec ? path : absolute.string();
}

}  // namespace zarvex
