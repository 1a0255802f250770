// libFuzzer target: any byte string through the RTF reader every view uses.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "rtf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const zarvex::FormattedText text = zarvex::readRtf({reinterpret_cast<const char*>(data), size});
  // Runs lie inside the text, in order.
  std::size_t end = 0;
  for (const zarvex::RtfRun& run : text.runs) {
    if (run.start < end || run.start + run.length > text.text.size()) __builtin_trap();
    end = run.start + run.length;
  }
  return 0;
}
