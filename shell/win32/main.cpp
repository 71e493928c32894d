// The Windows viewer, for now without its window: a book checks that its
// archives unpack through the system's cabinet library (--self-test).
#include <iostream>
#include <string_view>

#include "storage/u_BookSelfTest.h"

int main(int argc, char** argv) {
  if (argc == 2 && std::string_view(argv[1]) == "--self-test")
    return vv::RunBookSelfTest(std::cout);
  std::cerr << "This viewer has no window yet; start the book with --self-test\n";
  return 2;
}
