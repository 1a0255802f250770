// The file and process services the decoder and the windows need. Every
// failure is a RuntimeError whose description names the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zarvex {

// The folder that holds the running program (empty if it cannot be found).
const std::string& programFolder();

// Makes `folder` the current directory; error 76 when that fails.
void setCurrentDirectory(const std::string& folder);

// A file opened once for reading: without waiting on a FIFO or a device, its
// kind and size taken from the open descriptor, so that what is checked is
// what is read even if the path changes meanwhile.
class ReadOnlyFile {
 public:
  // Error 53 when there is no such file, 75 when it cannot be opened or is
  // not a regular file.
  explicit ReadOnlyFile(const std::string& path);
  ~ReadOnlyFile();
  ReadOnlyFile(const ReadOnlyFile&) = delete;
  ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

  std::int64_t size() const { return m_size; }
  // The first `size` bytes and one more zero byte. Error 62 when the file
  // holds fewer, 75 when reading fails, 7 when there is no memory.
  std::vector<std::uint8_t> readImage(std::int64_t size) const;

 private:
  std::string m_path;
  int m_fd = -1;
  std::int64_t m_size = 0;
};

// The size in bytes of the file at `path`; error 53 when there is no such
// file, 75 when the path names something that is not a regular file.
std::int64_t fileSize(const std::string& path);

// Reads the first `size` bytes of the file at `path` into a fresh array of
// size + 1 bytes whose last byte is 0. Error 53/75 when the file cannot be
// opened or read, 62 when it holds fewer than `size` bytes, 7 when there is no
// memory for the array. The file is closed on every path.
std::vector<std::uint8_t> readFileImage(const std::string& path, std::int64_t size);

// `path` made absolute against the current directory (unchanged if it is
// absolute already or empty).
std::string absolutePath(const std::string& path);

}  // namespace zarvex
