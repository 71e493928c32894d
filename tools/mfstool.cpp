// mfstool: list, extract and create book containers.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "storage/u_MFS.h"
#include "tools/u_MFSDiskImport.h"

using namespace vv;

namespace {
const char* const Usage =
    "Usage: mfstool COMMAND ARGS\n"
    "\n"
    "Commands:\n"
    "  list CONTAINER          print the tree with sizes, date-times and attributes\n"
    "  extract CONTAINER DIR   write the tree below DIR\n"
    "  create DIR CONTAINER    build a container from the folder DIR\n"
    "\n"
    "Options:\n"
    "  -h, --help              show this help\n";

std::string ReadFile(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  if (!In)
    throw Exception(Format("Cannot open \"%s\"", Path));
  return std::string((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string& Path, const std::string& Bytes) {
  std::ofstream Out(Path, std::ios::binary | std::ios::trunc);
  Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
  Out.close();
  if (!Out)
    throw Exception(Format("Cannot write \"%s\"", Path));
}

std::string DosDateTimeText(std::uint32_t D) {
  char Text[32];
  std::snprintf(Text, sizeof Text, "%04u-%02u-%02u %02u:%02u:%02u", (D >> 25) + 1980, (D >> 21) & 0xF,
                (D >> 16) & 0x1F, (D >> 11) & 0x1F, (D >> 5) & 0x3F, (D & 0x1F) * 2);
  return Text;
}

std::string AttributeText(std::uint32_t A) {
  std::string Text = "------";
  const char Letters[] = "rhs-da";
  for (int Bit = 0; Bit < 6; ++Bit)
    if (A & (1u << Bit))
      Text[static_cast<std::size_t>(Bit)] = Letters[Bit];
  return Text;
}

void List(const TMFSFolder& Root) {
  // Explicit stack: containers may nest deeply.
  std::vector<std::pair<const TMFSItem*, std::string>> Stack{{&Root, "\\"}};
  while (!Stack.empty()) {
    const auto [Item, Path] = Stack.back();
    Stack.pop_back();
    const auto* File = dynamic_cast<const TMFSFile*>(Item);
    std::printf("%10zu  %s  %s  %s\n", File ? File->Content.size() : 0, DosDateTimeText(Item->DateTime).c_str(),
                AttributeText(Item->Attributes).c_str(), Path.c_str());
    if (const auto* Folder = dynamic_cast<const TMFSFolder*>(Item)) {
      const auto Children = Folder->Children.Values();
      for (auto Child = Children.rbegin(); Child != Children.rend(); ++Child)
        Stack.emplace_back(*Child, Path + (*Child)->Name + (dynamic_cast<const TMFSFolder*>(*Child) ? "\\" : ""));
    }
  }
}

int Run(const std::vector<std::string>& Args) {
  if (Args.empty() || Args[0] == "-h" || Args[0] == "--help" || Args[0] == "help") {
    std::fputs(Usage, Args.empty() ? stderr : stdout);
    return Args.empty() ? 2 : 0;
  }
  const std::string& Command = Args[0];
  for (const auto& A : Args)
    if (A == "-h" || A == "--help") {
      std::fputs(Usage, stdout);
      return 0;
    }
  TMFS Volume;
  if (Command == "list" && Args.size() == 2) {
    Volume.LoadFromString(ReadFile(Args[1]));
    List(Volume.Root());
  } else if (Command == "extract" && Args.size() == 3) {
    Volume.LoadFromString(ReadFile(Args[1]));
    Volume.Root().SaveToDisk(Args[2]);
  } else if (Command == "create" && Args.size() == 3) {
    ImportFolderFromDisk(Args[1], Volume.Root());
    WriteFile(Args[2], Volume.SaveToString());
  } else {
    std::fprintf(stderr, "mfstool: unknown command or wrong arguments: %s\n\n%s", Command.c_str(), Usage);
    return 2;
  }
  return 0;
}
} // namespace

int main(int argc, char** argv) {
  try {
    return Run(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::exception& E) {
    std::fprintf(stderr, "mfstool: %s\n", E.what());
    return 1;
  }
}
