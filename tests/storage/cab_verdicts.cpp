// Prints the cabinet interface's verdict on every member of every archive the
// corpus listing names: its size, date-time, attributes and an FNV-1a hash
// when it unpacks, else the error message. Built for Linux and for Windows, so
// the two cabinet libraries can be compared line by line.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "storage/u_MFSCab.h"

using namespace vv;

namespace {

std::string ReadWhole(const std::string& Path) {
  std::ifstream In(Path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
}

std::uint32_t Fnv1a(const std::string& Bytes) {
  std::uint32_t Hash = 2166136261u;
  for (const char C : Bytes)
    Hash = (Hash ^ static_cast<unsigned char>(C)) * 16777619u;
  return Hash;
}

std::string OneLine(std::string Message) {
  for (std::size_t At; (At = Message.find("\r\n")) != std::string::npos;)
    Message.replace(At, 2, " | ");
  return Message;
}

std::string Verdict(const std::string& Cabinet, const std::string& Member) {
  TMFS Volume;
  TMFSSession& Session = Volume.DefaultSession();
  Session.CreateMFSFile("\\archive.cab", 0, false)->Content = Cabinet;
  try {
    {
      TMFSCabReader Reader(&Session, "\\archive.cab");
      Reader.Extract(Member, "\\out\\member");
    }
    const TMFSFile* File = Session.GetFile("\\out\\member");
    char Line[96];
    std::snprintf(Line, sizeof Line, "ok size=%zu datetime=%08X attributes=%02X fnv=%08X", File->Content.size(),
                  static_cast<unsigned>(File->DateTime), static_cast<unsigned>(File->Attributes),
                  static_cast<unsigned>(Fnv1a(File->Content)));
    return Line;
  } catch (const std::exception& E) {
    return "error " + OneLine(E.what());
  }
}

} // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: cab_verdicts CORPUSDIR\n";
    return 2;
  }
  const std::string Dir = std::string(argv[1]) + "/";
  std::istringstream Members(ReadWhole(Dir + "MEMBERS.tsv"));
  std::string Line;
  std::getline(Members, Line); // the heading
  while (std::getline(Members, Line)) {
    std::istringstream Fields(Line);
    std::string File, Index, Name;
    std::getline(Fields, File, '\t');
    std::getline(Fields, Index, '\t');
    std::getline(Fields, Name, '\t');
    std::cout << File << '\t' << Name << '\t' << Verdict(ReadWhole(Dir + File), Name) << '\n';
  }
  return 0;
}
