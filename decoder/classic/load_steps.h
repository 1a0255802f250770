// The classic load's way with errors. The load is a series of steps; when one
// fails, its error is put to the user with OK and Cancel: OK abandons that
// step and the load goes on with the next, Cancel stops the load (the caller
// catches LoadSteps::Cancelled and shows what was built).
#pragma once

#include <cstdint>
#include <new>
#include <string>

#include "listing_host.h"
#include "number_text.h"
#include "runtime_error.h"

namespace zarvex {

class LoadSteps {
 public:
  struct Cancelled {};

  explicit LoadSteps(ListingHost& host) : m_host(host) {}

  // Runs one step; inlined, as every token takes several.
  template <typename Body>
  [[gnu::always_inline]] void operator()(Body&& body) {
    try {
      body();
    } catch (const RuntimeError& e) {
      askToGoOn(e.number(), e.description());
    } catch (const std::bad_alloc&) {
      askToGoOn(kErrOutOfMemory, "Out of memory");
    }
  }

  // The errors put to the user so far, whatever the answer.
  std::int32_t errorsAsked() const { return m_errorsAsked; }

 private:
  [[gnu::noinline]] void askToGoOn(std::int32_t number, const std::string& description) {
    ++m_errorsAsked;
    const std::string text = "Error" + messageNumber(number) + ": " + description;
    if (m_host.showMessage(text, MessageButtons::OkCancel) == MessageAnswer::Cancel) throw Cancelled{};
  }

  ListingHost& m_host;
  std::int32_t m_errorsAsked = 0;
};

}  // namespace zarvex
