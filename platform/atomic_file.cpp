#include "atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <set>

#include "runtime_error.h"

namespace zarvex {

namespace {

[[noreturn]] void fail(const std::string& path, const char* doing, int error) {
  throw RuntimeError(kErrPathAccess, "Cannot write " + path + ": " + doing + " (" + std::strerror(error) + ")");
}

// A name for a new file beside `name`: the name, ".part" and six letters and
// digits from the process and a count, so that runs writing into one folder
// at once seldom pick the same name (the file is made only if it is new).
std::string temporaryName(const std::string& name) {
  static const unsigned long process = static_cast<unsigned long>(getpid()) * 7919u;
  static std::atomic<unsigned> count = 0;
  unsigned long value = process + count++;
  std::string suffix = ".part";
  for (int i = 0; i < 6; ++i, value /= 36) suffix.push_back("0123456789abcdefghijklmnopqrstuvwxyz"[value % 36]);
  return name + suffix;
}

// Writes `bytes` to a new file in the folder `folder` beside `name`, with the
// permissions of the file it will replace, or those an ordinary open would
// give a new one. Returns the new file's name; throws naming `path`.
std::string writeBeside(int folder, const std::string& name, const std::string& path,
                        std::span<const std::uint8_t> bytes) {
  struct stat existing {};
  const bool replacing = fstatat(folder, name.c_str(), &existing, 0) == 0;
  if (replacing && S_ISDIR(existing.st_mode)) fail(path, "replacing it", EISDIR);
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; fd < 0; ++attempt) {
    temporary = temporaryName(name);
    fd = openat(folder, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && (errno != EEXIST || attempt == 100)) fail(path, "no new file can be made in its folder", errno);
  }
  const auto abandon = [&](const char* doing) {
    const int error = errno;
    close(fd);
    unlinkat(folder, temporary.c_str(), 0);
    fail(path, doing, error);
  };
  if (replacing && S_ISREG(existing.st_mode) && fchmod(fd, existing.st_mode & 07777) != 0) {
    abandon("setting its permissions");
  }
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      abandon("writing");
    }
    written += static_cast<std::size_t>(n);
  }
  if (close(fd) != 0) {
    const int error = errno;
    unlinkat(folder, temporary.c_str(), 0);
    fail(path, "closing", error);
  }
  return temporary;
}

}  // namespace

void writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
  AtomicFileBatch batch;
  batch.add(path, bytes);
  batch.commit();
}

AtomicFileBatch::~AtomicFileBatch() {
  removePending();
  closeFolders();
}

const AtomicFileBatch::Folder& AtomicFileBatch::folderOf(const std::string& path, const std::string& folder) {
  const auto known = m_folders.find(folder);
  if (known != m_folders.end()) return known->second;
  Folder opened;
  opened.fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (opened.fd < 0) fail(path, "no new file can be made in its folder", errno);
  struct stat info {};
  if (fstat(opened.fd, &info) != 0) {
    const int error = errno;
    close(opened.fd);
    fail(path, "no new file can be made in its folder", error);
  }
  opened.device = info.st_dev;
  return m_folders.emplace(folder, opened).first->second;
}

void AtomicFileBatch::add(const std::string& path, std::span<const std::uint8_t> bytes) {
  const std::filesystem::path split(path);
  const std::string name = split.filename().string();
  if (name.empty()) fail(path, "replacing it", EISDIR);
  const std::string parent = split.parent_path().string();
  const Folder& folder = folderOf(path, parent.empty() ? "." : parent);
  std::string temporary = writeBeside(folder.fd, name, path, bytes);
  m_files.push_back({&folder, name, std::move(temporary), path});
}

void AtomicFileBatch::commit() {
  // The new files' bytes reach the disk before any of them takes a target's
  // place. One file is flushed by itself; more by one flush of each file
  // system they are on, which costs about what a single file's flush does.
  if (m_files.size() == 1) {
    const Pending& only = m_files.front();
    const int fd = openat(only.folder->fd, only.temporary.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || fsync(fd) != 0) {
      const int error = errno;
      if (fd >= 0) close(fd);
      removePending();
      closeFolders();
      fail(only.path, "flushing to disk", error);
    }
    close(fd);
  } else {
    std::set<std::uint64_t> flushed;
    for (const auto& [path, folder] : m_folders) {
      if (!flushed.insert(folder.device).second) continue;
      if (syncfs(folder.fd) != 0) {
        const int error = errno;
        removePending();
        closeFolders();
        fail(path, "flushing its new files to disk", error);
      }
    }
  }
  for (std::size_t i = 0; i < m_files.size(); ++i) {
    const Pending& file = m_files[i];
    if (renameat(file.folder->fd, file.temporary.c_str(), file.folder->fd, file.name.c_str()) != 0) {
      const int error = errno;
      const std::string failed = file.path;
      m_files.erase(m_files.begin(), m_files.begin() + static_cast<std::ptrdiff_t>(i));
      removePending();
      for (const auto& [path, folder] : m_folders) fsync(folder.fd);  // those in place stay there
      closeFolders();
      fail(failed, "replacing it", error);
    }
  }
  m_files.clear();
  // The folders' new entries reach the disk too.
  for (const auto& [path, folder] : m_folders) {
    if (fsync(folder.fd) != 0) {
      const int error = errno;
      closeFolders();
      fail(path, "flushing the folder to disk", error);
    }
  }
  closeFolders();
}

void AtomicFileBatch::removePending() {
  for (const Pending& file : m_files) unlinkat(file.folder->fd, file.temporary.c_str(), 0);
  m_files.clear();
}

void AtomicFileBatch::closeFolders() {
  for (const auto& [path, folder] : m_folders) close(folder.fd);
  m_folders.clear();
}

}  // namespace zarvex
