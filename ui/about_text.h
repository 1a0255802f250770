// Help > About: what the program is, its version, and the libraries it is
// built on, each with its version and licence.
#pragma once

#include <QString>

namespace zarvex {

QString aboutText();

}  // namespace zarvex
