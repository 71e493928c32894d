// Variables files and the texts they are substituted into, from one input
// split at its first 0 byte: the variables file, then the text.
#include <cstdint>
#include <string>
#include <string_view>

#include "text/u_Variables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const std::string_view Input(reinterpret_cast<const char*>(Data), Size);
  const std::size_t Zero = Input.find('\0');
  const std::string_view File = Input.substr(0, Zero);
  const std::string_view Text = Zero == std::string_view::npos ? std::string_view() : Input.substr(Zero + 1);
  for (const bool StripDollar : {false, true}) {
    try {
      const vv::TVariables Variables(File, StripDollar);
      const std::string Copied = Variables.Substitute(Text);
      std::string InPlace(Text);
      Variables.SubstituteInPlace(InPlace);
      // Both forms are one substitution and must agree.
      if (Copied != InPlace)
        __builtin_trap();
      // The file itself is a text full of references to known names.
      (void)Variables.Substitute(File);
    } catch (const vv::Exception&) {
    }
  }
  return 0;
}
