// The file and process services the decoder and the windows need. Every
// failure is a RuntimeError whose description names the file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zarvex {

// The folder that holds the running program (empty if it cannot be found).
std::string programFolder();

// Makes `folder` the current directory; error 76 when that fails.
void setCurrentDirectory(const std::string& folder);

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
