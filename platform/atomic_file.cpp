#include "atomic_file.h"

#include <dirent.h>
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

// A path for a new file beside `path`: the path, ".part" and six letters and
// digits from the process and a count, so that runs writing into one folder
// at once seldom pick the same name (the file is made only if it is new).
std::string temporaryName(const std::string& path) {
  static const unsigned long process = static_cast<unsigned long>(getpid()) * 7919u;
  static std::atomic<unsigned> count = 0;
  unsigned long value = process + count++;
  std::string suffix = ".part";
  for (int i = 0; i < 6; ++i, value /= 36) suffix.push_back("0123456789abcdefghijklmnopqrstuvwxyz"[value % 36]);
  return path + suffix;
}

// Writes `bytes` to a new file beside `path`, with the permissions of the
// file it will replace, or those an ordinary open would give a new one; a
// caller that knows no file is there says so (`mayExist` false), sparing a
// look-up. Returns the new file's path; throws naming `path`.
std::string writeBeside(const std::string& path, std::span<const std::uint8_t> bytes, bool mayExist) {
  struct stat existing {};
  const bool replacing = mayExist && stat(path.c_str(), &existing) == 0;
  if (replacing && S_ISDIR(existing.st_mode)) fail(path, "replacing it", EISDIR);
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; fd < 0; ++attempt) {
    temporary = temporaryName(path);
    fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && (errno != EEXIST || attempt == 100)) fail(path, "no new file can be made in its folder", errno);
  }
  const auto abandon = [&](const char* doing) {
    const int error = errno;
    close(fd);
    unlink(temporary.c_str());
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
    unlink(temporary.c_str());
    fail(path, "closing", error);
  }
  return temporary;
}

// `name` as a file system blind to case may take it: ASCII letters in lower
// case. Nothing for a name with other characters, whose folding depends on
// the file system.
std::optional<std::string> caseBlind(std::string name) {
  for (char& c : name) {
    if (static_cast<unsigned char>(c) >= 0x80) return std::nullopt;
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return name;
}

// A folder's size in bytes up to which its names are read rather than each
// target looked up: on ext4 some two thousand entries.
constexpr off_t kListableFolderSize = 64 * 1024;

// The names of the entries of `folder`, case-blind; nothing when it cannot
// be read whole, or holds a name beyond ASCII (which a file system that folds
// case could take for an ASCII one).
std::optional<std::set<std::string>> namesIn(const std::string& folder) {
  DIR* listing = opendir(folder.c_str());
  if (listing == nullptr) return std::nullopt;
  std::set<std::string> names;
  bool whole = true;
  while (whole) {
    errno = 0;
    const dirent* entry = readdir(listing);
    if (entry == nullptr) {
      whole = errno == 0;
      break;
    }
    auto name = caseBlind(entry->d_name);
    if (name) {
      names.insert(std::move(*name));
    } else {
      whole = false;
    }
  }
  closedir(listing);
  if (!whole) return std::nullopt;
  return names;
}

// Whether a file may be at `name` in a folder whose entries are `names`
// (nothing: not known). A name that a case-blind file system could take for
// an entry's counts as there.
bool mayBeThere(const std::optional<std::set<std::string>>& names, const std::string& name) {
  if (!names) return true;
  const auto blind = caseBlind(name);
  return !blind || names->contains(*blind);
}

// Runs `flush` (fsync or syncfs) on the folder `folder`; the errno of what
// failed, or 0.
int flushFolder(const std::string& folder, int (*flush)(int)) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return errno;
  const int error = flush(fd) == 0 ? 0 : errno;
  close(fd);
  return error;
}

}  // namespace

void writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
  AtomicFileBatch batch;
  batch.add(path, bytes);
  batch.commit();
}

AtomicFileBatch::~AtomicFileBatch() { removePending(); }

void AtomicFileBatch::add(const std::string& path, std::span<const std::uint8_t> bytes) {
  const std::filesystem::path split(path);
  if (split.filename().empty()) fail(path, "replacing it", EISDIR);
  const std::string parent = split.parent_path().string();
  const std::string folder = parent.empty() ? "." : parent;
  const auto [at, fresh] = m_folders.try_emplace(folder);
  Folder& entry = at->second;
  if (fresh) {
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0) {
      m_folders.erase(at);
      fail(path, "no new file can be made in its folder", errno);
    }
    entry.device = static_cast<std::uint64_t>(info.st_dev);
    entry.listable = info.st_size <= kListableFolderSize;
  }
  // One file is looked up by itself; for more, the names of a folder of a
  // few thousand entries at most are read once (a batch mostly fills a new
  // or empty folder; reading a huge one would cost more than its look-ups).
  if (entry.files++ == 1 && entry.listable) entry.names = namesIn(folder);
  std::string temporary = writeBeside(path, bytes, mayBeThere(entry.names, split.filename().string()));
  m_files.push_back({path, std::move(temporary)});
}

void AtomicFileBatch::commit() {
  // The new files' bytes reach the disk before any of them takes a target's
  // place. One file is flushed by itself; more by one flush of each file
  // system they are on, which costs about what a single file's flush does.
  if (m_files.size() == 1) {
    const Pending only = m_files.front();
    const int fd = open(only.temporary.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || fsync(fd) != 0) {
      const int error = errno;
      if (fd >= 0) close(fd);
      removePending();
      m_folders.clear();
      fail(only.path, "flushing to disk", error);
    }
    close(fd);
  } else {
    std::set<std::uint64_t> flushed;
    for (const auto& [folder, entry] : m_folders) {
      if (!flushed.insert(entry.device).second) continue;
      if (const int error = flushFolder(folder, syncfs); error != 0) {
        removePending();
        m_folders.clear();
        fail(folder, "flushing its new files to disk", error);
      }
    }
  }
  for (std::size_t i = 0; i < m_files.size(); ++i) {
    if (std::rename(m_files[i].temporary.c_str(), m_files[i].path.c_str()) != 0) {
      const int error = errno;
      const std::string failed = m_files[i].path;
      m_files.erase(m_files.begin(), m_files.begin() + static_cast<std::ptrdiff_t>(i));
      removePending();
      for (const auto& entry : m_folders) flushFolder(entry.first, fsync);  // those in place stay there
      m_folders.clear();
      fail(failed, "replacing it", error);
    }
  }
  m_files.clear();
  // The folders' new entries reach the disk too.
  std::map<std::string, Folder> folders;
  folders.swap(m_folders);
  for (const auto& entry : folders) {
    const std::string& folder = entry.first;
    if (const int error = flushFolder(folder, fsync); error != 0) fail(folder, "flushing the folder to disk", error);
  }
}

void AtomicFileBatch::removePending() {
  for (const Pending& file : m_files) unlink(file.temporary.c_str());
  m_files.clear();
}

}  // namespace zarvex
