// The texts a load puts to the user after the listing is shown; both listing
// styles use them.
#pragma once

#include <cstdint>
#include <string>

namespace zarvex {

// "The file ends early, at offset N: the listing stops there."
std::string earlyEndMessage(std::int64_t offset);

// The program's own lengths point outside it at `offset`.
std::string damagedProgramMessage(std::int64_t offset);

// An enciphered procedure whose Procedure line is at `offset` could not be
// deciphered; its body is listed as {locked} lines and the listing goes on.
std::string encipheredProcedureMessage(std::int64_t offset);

// The count of extension and undecodable tokens after a load.
std::string tokenSummaryMessage(std::int32_t extensionCalls, std::int32_t undefinedCalls);

// "... does not start like an AMOS program": the complete style refuses it.
std::string notAnAmosProgramMessage(const std::string& fileName);

}  // namespace zarvex
