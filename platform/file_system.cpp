#include "file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

}  // namespace

const std::string& programFolder() {
  // The program does not move while it runs: looked up once.
  static const std::string folder = [] {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
  }();
  return folder;
}

void setCurrentDirectory(const std::string& folder) {
  std::error_code ec;
  fs::current_path(folder, ec);
  if (ec) throw RuntimeError(kErrPathNotFound, "Path not found: " + folder + " (" + ec.message() + ")");
}

ReadOnlyFile::ReadOnlyFile(const std::string& path) : m_path(path) {
  m_fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (m_fd < 0) {
    const int error = errno;
    if (error == ENOENT) throw RuntimeError(kErrFileNotFound, "File not found: " + path);
    throw RuntimeError(kErrPathAccess, "Path/File access error: " + path + " (" + std::strerror(error) + ")");
  }
  struct stat info {};
  if (::fstat(m_fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(m_fd);
    m_fd = -1;
    throw RuntimeError(kErrPathAccess, "Path/File access error: " + path + " is not a file");
  }
  m_size = static_cast<std::int64_t>(info.st_size);
}

ReadOnlyFile::~ReadOnlyFile() {
  if (m_fd >= 0) ::close(m_fd);
}

std::vector<std::uint8_t> ReadOnlyFile::readImage(std::int64_t size) const {
  std::vector<std::uint8_t> image;
  try {
    image.assign(static_cast<std::size_t>(size) + 1, 0);
  } catch (const std::bad_alloc&) {
    throw RuntimeError(kErrOutOfMemory, "Out of memory reading " + m_path);
  }
  std::size_t got = 0;
  while (got < static_cast<std::size_t>(size)) {
    const ssize_t n = ::pread(m_fd, image.data() + got, static_cast<std::size_t>(size) - got, static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw RuntimeError(kErrPathAccess, "Path/File access error: cannot read " + m_path);
    if (n == 0) {
      throw RuntimeError(kErrInputPastEnd, "Input past end of file: " + m_path + " became shorter while it was read");
    }
    got += static_cast<std::size_t>(n);
  }
  return image;
}

std::int64_t fileSize(const std::string& path) { return ReadOnlyFile(path).size(); }

std::vector<std::uint8_t> readFileImage(const std::string& path, std::int64_t size) {
  return ReadOnlyFile(path).readImage(size);
}

std::string absolutePath(const std::string& path) {
  if (path.empty()) return path;
  std::error_code ec;
  const fs::path absolute = fs::absolute(path, ec);
  return ec ? path : absolute.string();
}

}  // namespace zarvex
