// Writing files whole or not at all: the bytes go to a new file beside the
// target, which then replaces the target in one step. A failure leaves no
// half-written file, and an existing file as it was. A file replaced keeps
// its permissions; a new one gets those an ordinary open would give it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace zarvex {

// Writes `bytes` to `path`, flushed to disk before it replaces the target,
// and the folder flushed after.
// Throws RuntimeError (75, naming the file and the reason) when the folder
// cannot take a new file, the disk is full, or the file cannot be replaced.
void writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

// Many files written as one: each goes to a new file beside its target as it
// is added; commit() flushes them all to disk with one flush of their file
// system, then puts each in place of its target and flushes the folders.
// Whatever happens when, each target is left either as it was or whole with
// its new bytes. Not for use by several threads at once.
class AtomicFileBatch {
 public:
  AtomicFileBatch() = default;
  // Removes the new files of a batch not committed.
  ~AtomicFileBatch();
  AtomicFileBatch(const AtomicFileBatch&) = delete;
  AtomicFileBatch& operator=(const AtomicFileBatch&) = delete;

  // Writes `bytes` to a new file beside `path`. Throws RuntimeError (75,
  // naming the file and the reason) when the folder is not there or takes no
  // new file, the disk is full, or `path` is a folder; the files added
  // before stay pending.
  void add(const std::string& path, std::span<const std::uint8_t> bytes);

  // Puts every file added in place. Throws RuntimeError (75, naming the file
  // or folder and the reason) when the flush fails, which replaces nothing,
  // or when a file cannot be put in place: those before it are in place, the
  // rest removed. Either way the batch is empty after.
  void commit();

  // Files added and not yet committed.
  std::size_t size() const { return m_files.size(); }

 private:
  struct Pending {
    std::string path;       // the target
    std::string temporary;  // the new file beside it
  };
  void removePending();

  struct Folder {
    std::uint64_t device = 0;  // the file system it is on
    int files = 0;             // files added into it
    bool listable = false;     // small enough for its names to be read
    // Its entries' names, read when a second file goes into it: a target
    // named by none of them (whatever the case of its letters) needs no
    // look-up of its own.
    std::optional<std::set<std::string>> names;
  };
  std::map<std::string, Folder> m_folders;  // the targets' folders
  std::vector<Pending> m_files;
};

}  // namespace zarvex
