// The bundled demo program, examples/demo.AMOS: a short bouncing-ball program
// that shows every kind of token the listing renders.
#pragma once

#include "amos_program_builder.h"

namespace zarvex::testing {

Bytes demoProgram();

}  // namespace zarvex::testing
