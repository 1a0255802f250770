#include "morvane_imports.h"

namespace zarvex {

MorvaneImports& MorvaneImports::program() {
  static MorvaneImports imports;
  return imports;
}

}  // namespace zarvex
