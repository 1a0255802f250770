#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "runtime_error.h"

namespace zarvex {

namespace {

[[noreturn]] void fail(const std::string& path, const char* doing, int error) {
  throw RuntimeError(kErrPathAccess, "Cannot write " + path + ": " + doing + " (" + std::strerror(error) + ")");
}

}  // namespace

void writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
  std::vector<char> temporary(path.begin(), path.end());
  const char suffix[] = ".partXXXXXX";
  temporary.insert(temporary.end(), suffix, suffix + sizeof suffix);  // with its zero byte
  const int fd = mkstemp(temporary.data());
  if (fd < 0) fail(path, "no new file can be made in its folder", errno);
  const auto abandon = [&](const char* doing) {
    const int error = errno;
    close(fd);
    unlink(temporary.data());
    fail(path, doing, error);
  };
  // A file replaced keeps its permissions; a new one gets the usual ones, as
  // an ordinary open would give it.
  struct stat existing {};
  mode_t mode = 0;
  if (stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
    mode = existing.st_mode & 07777;
  } else {
    const mode_t mask = umask(0);
    umask(mask);
    mode = 0666 & ~mask;
  }
  if (fchmod(fd, mode) != 0) abandon("setting its permissions");
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      abandon("writing");
    }
    written += static_cast<std::size_t>(n);
  }
  if (fsync(fd) != 0) abandon("flushing to disk");
  if (close(fd) != 0) {
    const int error = errno;
    unlink(temporary.data());
    fail(path, "closing", error);
  }
  if (std::rename(temporary.data(), path.c_str()) != 0) {
    const int error = errno;
    unlink(temporary.data());
    fail(path, "replacing it", error);
  }
}

}  // namespace zarvex
