#pragma once
// A packed book's check of itself, run with "--self-test": proof, without a
// window, that the book's archives unpack where the book was started.

#include <ostream>

namespace vv {

// Unpacks both archives of the running executable as start-up does and looks
// for System.xml; reports what it found on Out. Returns the exit status: 0
// when the book unpacked, 1 otherwise.
[[nodiscard]] int RunBookSelfTest(std::ostream& Out);

} // namespace vv
