// A stand-in for the viewer: prints the size and bytes of its own resource
// named by the argument, or "none".
#include <cstdio>

#include "platform/u_Resources.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  const std::string Data = vv::LoadResourceData(argv[1]);
  if (Data.empty()) {
    std::fputs("none", stdout);
    return 0;
  }
  std::printf("%zu:", Data.size());
  std::fwrite(Data.data(), 1, Data.size(), stdout);
  return 0;
}
