// Writes the bundled demo program: make_demo examples/demo.AMOS
#include <iostream>

#include "demo_program.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_demo OUTPUT_FILE\n";
    return 2;
  }
  zarvex::testing::writeFile(argv[1], zarvex::testing::demoProgram());
  return 0;
}
