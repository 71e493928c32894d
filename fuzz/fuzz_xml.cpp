// Settings files from arbitrary bytes: tokenize and parse, then read every
// attribute value and every node's text through every conversion.
// An input starting with 0xFF and two bytes N is put behind blank lines so
// that it starts N bytes before the end of the tokenizer's first window:
// the refill at the window's edge is reached with inputs of a few bytes.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/u_SpaceXMLParser.h"

namespace {
void ConvertAll(const vv::TVariant& Value) {
  try {
    (void)Value.ToText();
  } catch (const vv::Exception&) {
  }
  try {
    (void)Value.ToInteger();
  } catch (const vv::Exception&) {
  }
  try {
    (void)Value.ToBoolean();
  } catch (const vv::Exception&) {
  }
  try {
    (void)Value.ToDouble();
  } catch (const vv::Exception&) {
  }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  std::string_view Text(reinterpret_cast<const char*>(Data), Size);
  std::string Padded;
  if (Size >= 3 && Data[0] == 0xFF) {
    const std::size_t Before = (Data[1] | Data[2] << 8) % 4096u;
    Padded.assign(vv::TSpaceParser::BufSize - Before, '\n');
    Padded.append(Text.substr(3));
    Text = Padded;
  }
  vv::TXMLParser Parser;
  try {
    Parser.LoadFromBytes(Text);
  } catch (const vv::Exception&) {
    return 0;
  }
  // Iterative: the tree may be as deep as the reader allows.
  std::vector<const vv::TXMLNode*> Pending{Parser.Root()};
  while (!Pending.empty()) {
    const vv::TXMLNode* Node = Pending.back();
    Pending.pop_back();
    if (!Node)
      continue;
    ConvertAll(vv::TVariant(Node->Text));
    for (const vv::TXMLAttribute* Attribute : Node->Attributes->Values()) {
      ConvertAll(Attribute->Value);
      // Lookup by the name as written must find the same attribute.
      if (Node->Attributes->Find(Attribute->Name) != Attribute)
        __builtin_trap();
    }
    for (int i = 0; i < Node->Nodes->Count(); ++i)
      Pending.push_back(Node->Nodes->Items(i));
  }
  return 0;
}
