// The classic decoder's reading of token codes: what follows a code in the
// file, as far as the listing is concerned.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace zarvex::classic {

// Token codes with handlers.
enum : std::int32_t {
  kVariable = 0x0006,
  kLabel = 0x000C,
  kProcedureCall = 0x0012,
  kLabelReference = 0x0018,
  kString = 0x0026,
  kHexNumber = 0x0036,
  kDecimalNumber = 0x003E,
  kFloatNumber = 0x0046,
  kExtension = 0x004E,
  kRem = 0x064A,
  kQuoteRem = 0x0652,
};

enum class Payload : std::uint8_t { None, Name, String, Rem, QuoteRem, Number, Skip2, Skip4, Skip8 };

namespace token_payload {

// Every code with a payload lies below 0x0800: one indexed read per token
// instead of a chain of comparisons.
inline constexpr std::int32_t kPayloadCodes = 0x0800;
inline constexpr std::array<Payload, kPayloadCodes / 2> kPayloads = [] {
  std::array<Payload, kPayloadCodes / 2> table{};
  const auto set = [&](std::int32_t code, Payload payload) { table[static_cast<std::size_t>(code / 2)] = payload; };
  for (std::int32_t code : {kVariable, kLabel, kProcedureCall, kLabelReference}) set(code, Payload::Name);
  for (std::int32_t code : {kHexNumber, kDecimalNumber, kFloatNumber, kExtension}) set(code, Payload::Number);
  set(kString, Payload::String);
  set(kRem, Payload::Rem);
  set(kQuoteRem, Payload::QuoteRem);
  // Bytes skipped, unread, after codes whose payload is of no use to a listing.
  for (std::int32_t code : {0x023C, 0x0250, 0x0268, 0x027E, 0x02BE, 0x02D0, 0x0404}) set(code, Payload::Skip2);
  for (std::int32_t code : {0x029E, 0x0316}) set(code, Payload::Skip4);
  set(0x0376, Payload::Skip8);
  return table;
}();

}  // namespace token_payload

inline Payload payloadOf(std::int32_t code) {
  using token_payload::kPayloadCodes;
  return code >= 0 && code < kPayloadCodes && (code & 1) == 0 ? token_payload::kPayloads[static_cast<std::size_t>(code / 2)]
                                                               : Payload::None;
}

}  // namespace zarvex::classic
