#include "tools/u_MFSDiskImport.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <vector>

#include "platform/u_FileNames.h"
#include "text/u_Unicode.h"

namespace vv {

namespace fs = std::filesystem;

namespace {
const char* const SFolderNotFound = "Folder \"%s\" not found";
const char* const SCannotRead = "Cannot read \"%s\"";
const char* const SCaseClash = "Names \"%s\" and \"%s\" differ only in case";

std::uint32_t DosTimeOf(const fs::path& P) {
  const auto System = std::chrono::file_clock::to_sys(fs::last_write_time(P));
  return UnixTimeToDosDateTime(std::chrono::duration_cast<std::chrono::seconds>(System.time_since_epoch()).count());
}

// Read at the size the folder listing gave, so that each file takes its own
// size in memory rather than the growing string's doubled capacity.
std::string ReadWholeFile(const fs::path& P) {
  std::ifstream In(P, std::ios::binary);
  std::error_code Ec;
  const std::uintmax_t Size = fs::file_size(P, Ec);
  if (!In || Ec)
    throw EMFSError(Format(SCannotRead, NameOf(P)));
  std::string Bytes(static_cast<std::size_t>(Size), '\0');
  In.read(Bytes.data(), static_cast<std::streamsize>(Size));
  if (In.gcount() != static_cast<std::streamsize>(Size) || In.peek() != std::char_traits<char>::eof())
    throw EMFSError(Format(SCannotRead, NameOf(P)));
  return Bytes;
}

// One entry to import; Parent indexes the folder it goes into (-1: the target).
struct TPlanned {
  fs::path Path;
  std::string Name;
  std::string Below; // the path below Dir, "/" between names
  std::ptrdiff_t Parent;
  bool IsFolder;
  fs::path Real; // folders: where they really are, to tell a link that loops
};

// Text as characters; a byte that is not UTF-8 stands for itself, above Unicode.
std::u32string Characters(std::string_view Text) {
  std::u32string Chars;
  for (std::size_t At = 0, Length = 0; At < Text.size(); At += Length) {
    const char32_t C = DecodeUtf8(Text, At, Length);
    Chars += C == ReplacementChar && Text.substr(At, Length) != "\xEF\xBF\xBD"
                 ? 0x110000 + static_cast<unsigned char>(Text[At])
                 : C;
  }
  return Chars;
}

// A shell pattern as the shell reads it, the same on every platform: "*" any
// run of characters ("/" too), "?" one character, "[a-z]" one of a set and
// "[!a-z]" (or "[^a-z]") one not in it, "\" takes the next character as it is.
bool MatchesPattern(std::string_view PatternBytes, std::string_view TextBytes) {
  const std::u32string Pattern = Characters(PatternBytes), Text = Characters(TextBytes);
  // One character of Text against the pattern element at P; P moves past it.
  const auto MatchOne = [&](std::size_t& P, char32_t C) {
    if (Pattern[P] == '?') return ++P, true;
    std::size_t I = P + 1;
    const bool Negated = I < Pattern.size() && (Pattern[I] == '!' || Pattern[I] == '^');
    if (Negated) ++I;
    const std::size_t Close = Pattern.find(']', I + 1); // a "]" first in the set is one of it
    if (Pattern[P] != '[' || Close == std::u32string::npos) {
      if (Pattern[P] == '\\' && P + 1 < Pattern.size()) ++P;
      return Pattern[P++] == C;
    }
    bool InSet = false;
    for (; I < Close; ++I)
      if (I + 2 < Close && Pattern[I + 1] == '-') {
        InSet = InSet || (Pattern[I] <= C && C <= Pattern[I + 2]);
        I += 2;
      } else {
        InSet = InSet || Pattern[I] == C;
      }
    P = Close + 1;
    return InSet != Negated;
  };
  std::size_t P = 0, T = 0;
  std::size_t StarP = std::u32string::npos, StarT = 0; // where the last "*" takes one more
  while (T < Text.size()) {
    if (P < Pattern.size() && Pattern[P] == '*') {
      StarP = ++P;
      StarT = T;
    } else if (std::size_t Next = P; P < Pattern.size() && MatchOne(Next, Text[T])) {
      P = Next;
      ++T;
    } else if (StarP != std::u32string::npos) {
      P = StarP;
      T = ++StarT;
    } else {
      return false;
    }
  }
  while (P < Pattern.size() && Pattern[P] == '*') ++P;
  return P == Pattern.size();
}

bool Excluded(const std::vector<std::string>& Exclude, const std::string& Below,
              const std::string& Name) {
  return std::any_of(Exclude.begin(), Exclude.end(), [&](const std::string& Pattern) {
    return MatchesPattern(Pattern, Below) || MatchesPattern(Pattern, Name);
  });
}

// Whether Path lies below Folder (both canonical).
bool IsBelow(const fs::path& Path, const fs::path& Folder) {
  auto P = Path.begin();
  for (auto F = Folder.begin(); F != Folder.end(); ++F, ++P)
    if (P == Path.end() || (*P != *F && !F->empty())) return false;
  return P != Path.end();
}

// A symbolic link is taken when it leads inside Root, and, to a folder, to
// none of the folders it is being imported into (that would never end).
bool TakesLink(const fs::directory_entry& Entry, const fs::path& Root,
               const std::vector<TPlanned>& Plan, std::ptrdiff_t Folder, fs::path& Real) {
  std::error_code Ec;
  Real = fs::canonical(Entry.path(), Ec);
  if (Ec || !IsBelow(Real, Root)) return false;
  for (; Folder >= 0; Folder = Plan[Folder].Parent)
    if (Plan[Folder].Real == Real) return false;
  return true;
}

// Every folder and regular file below Dir, parents before their children. Names
// of one folder that the volume would take for one (it matches them without
// regard to case) are refused here: importing both would destroy the first
// while it is still being filled.
// The name as a book of CodePage stores it; false when that code page lacks some of its characters.
bool NameInCodePage(std::string& Name, TCodePage CodePage) {
  if (CodePage == TCodePage::Utf8 || !IsValidUtf8(Name)) return true;
  bool Lost = false;
  std::string Held = Utf8ToBook(Name, CodePage, &Lost);
  if (Lost) return false;
  Name = std::move(Held);
  return true;
}

std::vector<TPlanned> PlanImport(const fs::path& Dir, const std::vector<std::string>& Exclude,
                                 TCodePage NameCodePage, std::vector<std::string>& LeftOut,
                                 std::vector<std::string>* Unheld) {
  const fs::path Root = fs::canonical(Dir);
  std::vector<TPlanned> Plan;
  std::vector<TPlanned> Listing;
  for (std::ptrdiff_t Folder = -1; Folder < static_cast<std::ptrdiff_t>(Plan.size()); ++Folder) {
    if (Folder >= 0 && !Plan[Folder].IsFolder)
      continue;
    Listing.clear();
    for (const fs::directory_entry& Entry : fs::directory_iterator(Folder < 0 ? Dir : Plan[Folder].Path)) {
      std::string Name = NameOf(Entry.path().filename());
      std::string Below = Folder < 0 ? Name : Plan[Folder].Below + "/" + Name;
      if (Excluded(Exclude, Below, Name)) continue;
      fs::path Real;
      if (Entry.is_symlink() && !TakesLink(Entry, Root, Plan, Folder, Real)) {
        LeftOut.push_back(Below);
        continue;
      }
      if (Entry.is_directory() && Real.empty()) Real = fs::canonical(Entry.path());
      if (!Entry.is_directory() && !Entry.is_regular_file()) continue;
      if (!NameInCodePage(Name, NameCodePage) && Unheld) Unheld->push_back(Below);
      Listing.push_back({Entry.path(), std::move(Name), std::move(Below), Folder, Entry.is_directory(),
                         std::move(Real)});
    }
    // Sorted as the volume sorts, then by bytes, so that clashing names are
    // neighbours and the message is the same on every file system.
    std::sort(Listing.begin(), Listing.end(), [](const TPlanned& A, const TPlanned& B) {
      const int Order = CompareText(A.Name, B.Name);
      return Order != 0 ? Order < 0 : A.Name < B.Name;
    });
    for (std::size_t i = 1; i < Listing.size(); ++i)
      if (SameText(Listing[i - 1].Name, Listing[i].Name))
        throw EMFSError(Format(SCaseClash, NameOf(Listing[i - 1].Path), NameOf(Listing[i].Path)));
    Plan.insert(Plan.end(), Listing.begin(), Listing.end());
  }
  return Plan;
}
} // namespace

std::vector<std::string> ImportFolderFromDisk(const std::string& Dir, TMFSFolder& Root,
                                              const std::vector<std::string>& Exclude,
                                              TCodePage NameCodePage, std::vector<std::string>* Unheld) {
  if (!fs::is_directory(PathOf(Dir)))
    throw EMFSError(Format(SFolderNotFound, Dir));
  std::vector<std::string> LeftOut;
  const std::vector<TPlanned> Plan = PlanImport(PathOf(Dir), Exclude, NameCodePage, LeftOut, Unheld);
  std::vector<TMFSFolder*> Folders(Plan.size(), nullptr);
  for (std::size_t i = 0; i < Plan.size(); ++i) {
    const TPlanned& Entry = Plan[i];
    TMFSFolder* Parent = Entry.Parent < 0 ? &Root : Folders[Entry.Parent];
    if (Entry.IsFolder) {
      auto* Sub = new TMFSFolder(Entry.Name, Parent->Volume, Parent);
      Sub->Attributes = faDirectory;
      Sub->DateTime = DosTimeOf(Entry.Path);
      Folders[i] = Sub;
    } else {
      auto* File = new TMFSFile(Entry.Name, Parent->Volume, Parent);
      File->Attributes = faArchive;
      File->DateTime = DosTimeOf(Entry.Path);
      File->Content = ReadWholeFile(Entry.Path);
    }
  }
  std::sort(LeftOut.begin(), LeftOut.end());
  return LeftOut;
}

} // namespace vv
