// bookcheck: checks a book folder before it is packed.
#include <iostream>
#include <string>

#include "tools/u_BookCheck.h"

namespace {
const char* const Usage =
    "Usage: bookcheck BOOKDIR\n"
    "\n"
    "Checks the book in BOOKDIR (with the folders system/ and files/): System.xml\n"
    "and every settings file it names parse, its settings convert, the variables\n"
    "resolve without cycles or duplicates, and every page of Story.xml exists in\n"
    "files/. Prints each problem with the file it was found in.\n"
    "\n"
    "Exit status: 0 when the book is clean, 1 when problems were found, 2 for\n"
    "wrong arguments.\n"
    "\n"
    "Options:\n"
    "  -h, --help   show this help\n";
} // namespace

int main(int argc, char** argv) {
  const std::string First = argc > 1 ? argv[1] : "";
  if (First == "-h" || First == "--help") {
    std::cout << Usage;
    return 0;
  }
  if (argc != 2 || First.empty() || First[0] == '-') {
    std::cerr << "bookcheck: expected one book folder\n\n" << Usage;
    return 2;
  }
  try {
    return vv::CheckBook(First, std::cout, std::cerr);
  } catch (const std::exception& E) {
    std::cerr << "bookcheck: " << E.what() << "\n";
    return 1;
  }
}
