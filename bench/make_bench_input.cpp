// Writes the benchmark input: a 1 MiB program made of the lines of real
// programs, repeated in turn until the file is full. Locked and compiled
// procedures are left out: their bodies are not lines.
//
//   make_bench_input CORPUS_FOLDER OUTPUT_FILE
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "big_endian.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kTargetSize = 1048576;

// The program lines of a file saved with an AMOS signature, whole lines only.
std::vector<Bytes> linesOf(const Bytes& file) {
  std::vector<Bytes> lines;
  if (file.size() < 20 || std::string(file.begin(), file.begin() + 4) != "AMOS") return lines;
  const std::size_t end = std::min<std::size_t>(file.size(), 20 + std::size_t{zarvex::u32At(file.data() + 16)});
  for (std::size_t at = 20; at + 2 <= end;) {
    const std::size_t size = file[at] * 2u;
    if (size < 2 || at + size > end) break;
    // A locked or compiled procedure's body is no lines: leave it out whole.
    if (size >= 12 && file[at + 2] == 0x03 && file[at + 3] == 0x76 && (file[at + 10] & 0x30) != 0) {
      const std::size_t endProc = at + 8 + zarvex::u32At(file.data() + at + 4);
      if (endProc > at + size && endProc <= end) {
        at = endProc;
        continue;
      }
    }
    lines.emplace_back(file.begin() + static_cast<std::ptrdiff_t>(at),
                       file.begin() + static_cast<std::ptrdiff_t>(at + size));
    at += size;
  }
  return lines;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: make_bench_input CORPUS_FOLDER OUTPUT_FILE\n";
    return 2;
  }
  std::vector<std::filesystem::path> programs;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[1])) {
    if (entry.is_regular_file() && entry.path().extension() == ".AMOS" &&
        entry.path().string().find("/expected/") == std::string::npos) {
      programs.push_back(entry.path());
    }
  }
  std::sort(programs.begin(), programs.end());
  std::vector<Bytes> lines;
  for (const auto& path : programs) {
    std::ifstream in(path, std::ios::binary);
    const Bytes file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    for (auto& line : linesOf(file)) lines.push_back(std::move(line));
  }
  if (lines.empty()) {
    std::cerr << "make_bench_input: no program lines found under " << argv[1] << '\n';
    return 1;
  }

  const std::string signature = "AMOS Basic V134 ";
  // The bank section: its signature and a count of no banks. Anything after
  // it would be a damaged bank set.
  const std::string trailer("AmBs\0\0", 6);
  Bytes code;
  for (std::size_t i = 0;; i = (i + 1) % lines.size()) {
    if (20 + code.size() + lines[i].size() + trailer.size() > kTargetSize) break;
    code.insert(code.end(), lines[i].begin(), lines[i].end());
  }
  Bytes file(signature.begin(), signature.end());
  for (int shift = 24; shift >= 0; shift -= 8) file.push_back(static_cast<std::uint8_t>(code.size() >> shift));
  file.insert(file.end(), code.begin(), code.end());
  file.insert(file.end(), trailer.begin(), trailer.end());

  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
  if (!out) {
    std::cerr << "make_bench_input: cannot write " << argv[2] << '\n';
    return 1;
  }
  std::cout << argv[2] << ": " << file.size() << " bytes, " << code.size() << " bytes of program lines\n";
  return 0;
}
