// What a load tells its caller beyond the listing it leaves in the state:
// how it ended, what it counted and what it asked. Both listing styles
// return it.
#pragma once

#include <cstdint>
#include <span>

namespace zarvex {

struct LoadResult {
  enum class Outcome {
    Loaded,      // decoded to the end of the program lines
    TooBig,      // refused by the size check; nothing changed
    Cancelled,   // the user chose Cancel on an error; the listing is cut short
    EndedEarly,  // the program runs past the end of the file; listed up to there
    Damaged,     // a length or distance points outside the program; listed up to there. In the
                 // complete style also a locked procedure that cannot be deciphered: listed
                 // whole, its body as {locked} lines
  };
  Outcome outcome = Outcome::Loaded;
  std::int32_t extensionCalls = 0;
  std::int32_t undefinedCalls = 0;
  std::int64_t earlyEndOffset = -1;  // where the file ended early or is damaged
  // Whether the file starts like an AMOS program; the classic listing lists
  // any file, and its host may say that the listing may be meaningless.
  bool startsLikeProgram = true;
  // The errors put to the user during the load (each asking whether to go
  // on), whatever the answer.
  std::int32_t errorsAsked = 0;
};

// True when the file starts like an AMOS program ("AMOS").
inline bool startsLikeAmosProgram(std::span<const std::uint8_t> file) {
  return file.size() >= 4 && file[0] == 'A' && file[1] == 'M' && file[2] == 'O' && file[3] == 'S';
}

}  // namespace zarvex
