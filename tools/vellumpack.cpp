// vellumpack: turns a book folder into a viewer executable carrying the book,
// and takes such books and cabinet files apart again. The same program on
// Linux and Windows; file names are UTF-8 strings on Windows (platform/u_FileNames).
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "platform/u_FileNames.h"
#include "platform/u_PEResources.h"
#include "platform/u_Process.h"
#include "platform/u_Resources.h"
#include "platform/u_SystemFile.h"
#include "storage/u_MFS.h"
#include "tools/u_BookCheck.h"
#include "tools/u_BookPack.h"
#include "tools/u_CabTool.h"
#include "tools/u_NewBook.h"
#include "tools/u_RuntimeCheck.h"

using namespace vv;
namespace fs = std::filesystem;

namespace {

// Wrong usage exits with 2, a failure while working with 1.
constexpr int ExitFailure = 1;
constexpr int ExitUsage = 2;

// Looked for when --viewer is not given; the Windows one for --windows.
constexpr const char* DefaultViewerName = "vellumview";
constexpr const char* DefaultWindowsViewerName = "vellumview.exe";

// The Windows packer makes Windows books: --windows is its default, and the
// only other book it makes is from a viewer named with --viewer.
#ifdef _WIN32
constexpr bool RunsOnWindows = true;
#else
constexpr bool RunsOnWindows = false;
#endif

using TArgs = std::vector<std::string>;

struct TCommand {
  const char* Name;
  const char* Synopsis; // one line, after "vellumpack "
  const char* Help;     // what --help adds below the synopsis
  std::function<int(const TArgs&)> Run;
};

class EUsage : public Exception {
  using Exception::Exception;
};

bool IsHelp(const std::string& A) {
  return A == "-h" || A == "--help";
}

std::string ReadDiskFile(const std::string& Path) {
  std::ifstream In(PathOf(Path), std::ios::binary);
  if (!In) throw Exception(Format("Cannot open \"%s\"", Path));
  std::string Bytes((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  if (In.bad()) throw Exception(Format("Cannot read \"%s\"", Path));
  return Bytes;
}

std::string DosDateTimeText(std::uint32_t D) {
  char Text[32];
  std::snprintf(Text, sizeof Text, "%04u-%02u-%02u %02u:%02u:%02u", (D >> 25) + 1980,
                (D >> 21) & 0xF, (D >> 16) & 0x1F, (D >> 11) & 0x1F, (D >> 5) & 0x3F,
                (D & 0x1F) * 2);
  return Text;
}

// ---- Progress ----

// On a terminal, a bar redrawn in place once packing has gone on for a second
// (a quicker pack shows none); elsewhere one line per step.
class TProgressReport {
public:
  TProgressReport() : Terminal(IsTerminal(stderr)), Start(Clock::now()) {}

  void operator()(const std::string& Step, std::uint64_t Done, std::uint64_t Total) {
    if (!Terminal) {
      if (Step != LastStep) std::fprintf(stderr, "%s\n", Step.c_str());
      LastStep = Step;
      return;
    }
    const bool Finished = Done >= Total;
    const auto Now = Clock::now();
    if (Ended || Now - Start < std::chrono::seconds(1) || (Finished && !Drawn) ||
        (!Finished && Now - LastDraw < std::chrono::milliseconds(100)))
      return;
    const int Width = 30;
    const double Fraction = Total ? static_cast<double>(Done) / static_cast<double>(Total) : 1.0;
    const int Filled = static_cast<int>(Fraction * Width);
    std::fprintf(stderr, "\r[%s%s] %3d%%  %-40.40s",
                 std::string(static_cast<std::size_t>(Filled), '#').c_str(),
                 std::string(static_cast<std::size_t>(Width - Filled), ' ').c_str(),
                 static_cast<int>(Fraction * 100), Step.c_str());
    if (Finished) std::fputc('\n', stderr);
    std::fflush(stderr);
    Drawn = true;
    Ended = Finished;
    LastDraw = Now;
  }

private:
  using Clock = std::chrono::steady_clock;
  const bool Terminal;
  const Clock::time_point Start;
  Clock::time_point LastDraw;
  bool Drawn = false, Ended = false;
  std::string LastStep;
};

// ---- Commands ----

// Beside vellumpack is where an install puts the viewer; the Linux build tree
// keeps it in its own target folder, known when vellumpack was compiled. The
// Windows viewer is put beside vellumpack by the Windows build, and beside the
// Linux one by the 64-bit Windows build (make test-windows).
std::string DefaultViewer(bool Windows) {
  const std::string Self = RunningProgramPath();
  std::vector<fs::path> Candidates{(Self.empty() ? fs::path(".") : PathOf(Self).parent_path()) /
                                   (Windows ? DefaultWindowsViewerName : DefaultViewerName)};
#ifdef VV_BUILT_VIEWER
  if (!Windows) Candidates.emplace_back(VV_BUILT_VIEWER);
#endif
  for (const fs::path& Candidate : Candidates)
    if (fs::is_regular_file(Candidate)) return NameOf(Candidate);
  throw Exception(Format("Viewer not found beside vellumpack (\"%s\")%s; name it with --viewer",
                         NameOf(Candidates[0]),
                         Candidates.size() > 1 ? Format(" nor in the build tree (\"%s\")", NameOf(Candidates[1]))
                                               : std::string()));
}

// A book runs where its viewer does: the Windows packer cannot start a Linux book.
void RefuseBookThatCannotRunHere(const std::string& Viewer) {
  if (!RunsOnWindows) return;
  const TSystemFile File(Viewer, TSystemFile::TMode::Read);
  if (File.IsOpen() && !IsPEImage([&File](std::uint64_t At, void* Buffer, std::size_t Count) {
        return File.ReadAt(At, Buffer, Count);
      }))
    throw Exception(Format("\"%s\" is not a Windows program: a book made from it does not run here", Viewer));
}

// The arguments of the commands that read a book folder, each the same way.
enum class TBookCommand { Check, Run, Build };

struct TBookArgs {
  std::string BookDir;
  TBookOptions Options;
  std::string Out, Viewer;
  bool PrintSettings = false;
  bool CheckRuntime = false;
  bool Windows = RunsOnWindows;
};

TBookArgs ParseBookArgs(const TArgs& Args, TBookCommand Command) {
  TBookArgs Book;
  const bool Packs = Command != TBookCommand::Check;
  const bool Builds = Command == TBookCommand::Build;
  for (std::size_t i = 0; i < Args.size(); ++i) {
    const std::string& A = Args[i];
    std::string* Value = A == "--contents"                          ? &Book.Options.Contents
                         : A == "--title"                           ? &Book.Options.Title
                         : Packs && A == "--viewer"                 ? &Book.Viewer
                         : Builds && (A == "-o" || A == "--output") ? &Book.Out
                                                                    : nullptr;
    if (Value && i + 1 < Args.size())
      *Value = Args[++i];
    else if (A == "--exclude" && i + 1 < Args.size())
      Book.Options.Exclude.push_back(Args[++i]);
    else if (Builds && A == "--print-settings")
      Book.PrintSettings = true;
    else if (Builds && A == "--check-runtime")
      Book.CheckRuntime = true;
    else if (Builds && A == "--windows")
      Book.Windows = true;
    else if (!A.empty() && A[0] == '-')
      throw EUsage(Format("unknown option or missing value: %s", A));
    else if (Book.BookDir.empty())
      Book.BookDir = A;
    else
      throw EUsage(Format("unexpected argument: %s", A));
  }
  if (Book.BookDir.empty()) throw EUsage("BOOKDIR is required");
  return Book;
}

// A book the viewer would refuse to open is neither made nor run.
void RefuseUnopenableBook(TBookSource& Book) {
  if (const int Problems = CheckSettingsForBuild(Book, std::cerr))
    throw Exception(Format("%d %s found: nothing is packed (see vellumpack check)", Problems,
                           Problems == 1 ? "problem" : "problems"));
}

int RunBuild(const TArgs& Args) {
  const TBookArgs Request = ParseBookArgs(Args, TBookCommand::Build);
  if (Request.Out.empty() && !Request.PrintSettings) throw EUsage("-o OUT is required");
  // Looked for first: a missing viewer should not wait for a big book to be read.
  const std::string Viewer = Request.Out.empty()      ? std::string()
                             : Request.Viewer.empty() ? DefaultViewer(Request.Windows)
                                                      : Request.Viewer;
  if (Request.CheckRuntime) RefuseBookThatCannotRunHere(Viewer);
  TProgressReport Report;
  if (!Request.Out.empty()) Report(Format("Reading %s", Request.BookDir), 0, 1);
  const auto Start = std::chrono::steady_clock::now();
  TBookSource Book(Request.BookDir, Request.Options);
  if (Request.PrintSettings) std::fputs(Book.MadeSettingsText().c_str(), stdout);
  for (const std::string& Note : Book.Notes)
    std::fprintf(stderr, "note: %s\n", Note.c_str());
  RefuseUnopenableBook(Book);
  if (Request.Out.empty()) return 0;

  BuildBook(Book, Request.Out, Viewer, std::ref(Report));
  const double Seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - Start).count();
  std::uint64_t BookBytes = 0;
  for (const auto& Entry : fs::recursive_directory_iterator(PathOf(Request.BookDir)))
    if (Entry.is_regular_file() && !Entry.is_symlink()) BookBytes += Entry.file_size();
  const double MB = static_cast<double>(BookBytes) / 1e6;
  std::printf("Packed %.1f MB from \"%s\" into \"%s\" in %.2f s (%.1f MB/s)\n", MB,
              Request.BookDir.c_str(), Request.Out.c_str(), Seconds,
              Seconds > 0 ? MB / Seconds : 0.0);
  if (!Request.CheckRuntime) return 0;
  std::fflush(stdout);
  const int Problems = CheckRuntime(Request.Out, std::cout);
  std::cout << (Problems ? Format("%d runtime problems: the book will not run here\n", Problems)
                         : std::string("The book runs here\n"));
  return Problems ? ExitFailure : 0;
}

// Packs the book into a file nothing keeps and runs it; the exit status is
// the viewer's, or 128 + the signal that ended it, as shells report it.
int RunRun(const TArgs& Args) {
  const TBookArgs Request = ParseBookArgs(Args, TBookCommand::Run);
  const std::string Viewer = Request.Viewer.empty() ? DefaultViewer(RunsOnWindows) : Request.Viewer;
  RefuseBookThatCannotRunHere(Viewer);
  TBookSource Book(Request.BookDir, Request.Options);
  RefuseUnopenableBook(Book);
  TRunOnceProgram Program;
  BuildBook(Book, Program.Path(), Viewer);
  return Program.Run({});
}

int RunNew(const TArgs& Args) {
  std::string Dir, Title, Author;
  for (std::size_t i = 0; i < Args.size(); ++i) {
    const std::string& A = Args[i];
    if ((A == "--title" || A == "--author") && i + 1 < Args.size())
      (A == "--title" ? Title : Author) = Args[++i];
    else if (!A.empty() && A[0] == '-')
      throw EUsage(Format("unknown option or missing value: %s", A));
    else if (Dir.empty())
      Dir = A;
    else
      throw EUsage(Format("unexpected argument: %s", A));
  }
  if (Dir.empty()) throw EUsage("DIR is required");
  if (Title.empty()) Title = NameOf(fs::absolute(PathOf(Dir)).lexically_normal().filename());
  WriteNewBook(Dir, Title, Author.empty() ? "Your Name" : Author);
  std::printf("New book \"%s\" in \"%s\": edit files/ and system/, then\n"
              "  vellumpack check %s\n  vellumpack run %s\n",
              Title.c_str(), Dir.c_str(), Dir.c_str(), Dir.c_str());
  return 0;
}

int RunExtract(const TArgs& Args) {
  if (Args.size() != 2) throw EUsage("BOOK and DIR are required");
  TMFS System, Files;
  LoadBook(Args[0], System, Files);
  System.Root().SaveToDisk(NameOf(PathOf(Args[1]) / "system"));
  Files.Root().SaveToDisk(NameOf(PathOf(Args[1]) / "files"));
  return 0;
}

void PrintTree(const TMFSFolder& Root) {
  // Explicit stack: volumes may nest deeply.
  std::vector<std::pair<const TMFSItem*, std::string>> Stack{{&Root, "\\"}};
  while (!Stack.empty()) {
    const auto [Item, Path] = Stack.back();
    Stack.pop_back();
    if (const auto* File = dynamic_cast<const TMFSFile*>(Item))
      std::printf("%12zu  %s\n", File->Content.size(), Path.c_str());
    else
      std::printf("%12s  %s\n", "", Path.c_str());
    if (const auto* Folder = dynamic_cast<const TMFSFolder*>(Item)) {
      const auto Children = Folder->Children.Values();
      for (auto Child = Children.rbegin(); Child != Children.rend(); ++Child)
        Stack.emplace_back(*Child, Path + (*Child)->Name +
                                       (dynamic_cast<const TMFSFolder*>(*Child) ? "\\" : ""));
    }
  }
}

int RunList(const TArgs& Args) {
  if (Args.size() != 1) throw EUsage("BOOK is required");
  TMFS System, Files;
  LoadBook(Args[0], System, Files);
  std::printf("%s (system volume):\n", SystemResourceName);
  PrintTree(System.Root());
  std::printf("\n%s (content volume):\n", FilesResourceName);
  PrintTree(Files.Root());
  return 0;
}

void PrintMembers(const std::vector<TCabMemberInfo>& Members) {
  for (const TCabMemberInfo& M : Members)
    if (M.DosDateTime == 0) // announced only: it begins in an earlier cabinet
      std::printf("%12s  %-19s  %4s  %s  (%s)\n", "?", "", "", M.Name.c_str(), M.Skipped.c_str());
    else
      std::printf("%12u  %s  0x%02X  %s\n", M.Size, DosDateTimeText(M.DosDateTime).c_str(),
                  M.Attributes, M.Name.c_str());
}

int RunCabList(const TArgs& Args) {
  if (Args.size() != 1) throw EUsage("FILE.cab is required");
  PrintMembers(ListCabinet(ReadDiskFile(Args[0]), Args[0]));
  return 0;
}

int RunCabExtract(const TArgs& Args) {
  if (Args.size() != 2) throw EUsage("FILE.cab and DIR are required");
  const auto Members = ExtractCabinet(ReadDiskFile(Args[0]), Args[0], Args[1]);
  PrintMembers(Members);
  int Status = 0;
  for (const TCabMemberInfo& M : Members)
    if (!M.Skipped.empty()) {
      std::fflush(stdout);
      std::fprintf(stderr, "vellumpack: skipped \"%s\": %s\n", M.Name.c_str(), M.Skipped.c_str());
      Status = ExitFailure;
    }
  return Status;
}

// ---- Dispatch ----

int Dispatch(const std::string& Prefix, const std::vector<TCommand>& Commands, const TArgs& Args);

const std::vector<TCommand> CabCommands = {
    {"list", "cab list FILE.cab",
     "List the members of a cabinet: size, DOS date-time, attributes, name.\n", RunCabList},
    {"extract", "cab extract FILE.cab DIR",
     "Unpack every member of a cabinet below DIR. Member names are made safe:\n"
     "\"..\", \".\" and empty parts are dropped, so nothing is written outside DIR.\n"
     "Members that cannot be written are reported, and the exit status is 1.\n",
     RunCabExtract},
};

int RunCheck(const TArgs& Args) {
  const TBookArgs Book = ParseBookArgs(Args, TBookCommand::Check);
  return CheckBook(Book.BookDir, Book.Options, std::cout, std::cerr);
}

const std::vector<TCommand> Commands = {
    {"new", "new DIR [--title T] [--author A]",
     "Write a ready book into DIR, which must be missing or empty: system/ with\n"
     "its settings (window, reading order, toolbar with every command and its\n"
     "pictures, title and author, an About form; explained in system/README.txt)\n"
     "and files/ with a cover page, two chapters of two pages, a style sheet and\n"
     "the About page, each file commented. Title defaults to DIR's name.\n",
     RunNew},
    {"build",
     "build BOOKDIR -o OUT [--viewer PATH] [--windows] [--contents PAGE] [--title T] [--exclude PATTERN]... "
     "[--print-settings] [--check-runtime]",
     "Pack the book in BOOKDIR into a copy of the viewer executable, as the\n"
     "resources SYSTEM_MFS and FILES_MFS (each an MSZIP cabinet holding\n"
     "\"info.mfs\"), and write it to OUT, made executable.\n"
     "\n"
     "BOOKDIR holds system/ (settings) and files/ (pages), or is a plain folder\n"
     "of pages. Settings it lacks are made for the book, never written to BOOKDIR:\n"
     "the reading order from the contents page (its links, nested as its lists\n"
     "nest, then the lists of contents of each page placed, nested under it, and\n"
     "a last part \"Other pages\" for the pages no list reaches) or, without one,\n"
     "every page in file-name order; without System.xml, a window of 1100 x 800,\n"
     "the title, a toolbar with every command, an About form. A book whose\n"
     "settings check finds faulty (an empty reading order, say) is not packed.\n"
     "\n"
     "  -o, --output OUT  the book executable to write\n"
     "  --viewer PATH     the viewer executable (default: vellumview beside vellumpack,\n"
     "                    else the one of the build tree vellumpack came from)\n"
     "  --windows         a Windows book: the default viewer is vellumview.exe beside\n"
     "                    vellumpack; the archives become resources of its image\n"
     "                    (the default of vellumpack.exe, which makes Linux books\n"
     "                    only from a Linux viewer named with --viewer)\n"
     "  --contents PAGE   the contents page, which the book opens on (default: the\n"
     "                    first of index.html, index.htm, contents.html, toc.html)\n"
     "  --title T         the book's title (default: the contents page's title)\n"
     "  --exclude PATTERN leave out the pages' files whose path below the folder,\n"
     "                    or name, the shell pattern matches (\"*.pdf\", \"src/*\",\n"
     "                    \".htaccess\"); may be given more than once\n"
     "  --print-settings  write the settings made for the book to standard output;\n"
     "                    without -o nothing is packed\n"
     "  --check-runtime   then check that the book runs on this machine: every\n"
     "                    library it needs is found, Qt WebEngine's helper process\n"
     "                    is installed, and the book unpacks its archives when\n"
     "                    started with --self-test; exit status 1 if not\n",
     RunBuild},
    {"run", "run BOOKDIR [--viewer PATH] [--contents PAGE] [--title T] [--exclude PATTERN]...",
     "Pack the book as build does into a temporary file without a name and open\n"
     "it; nothing is left behind however either ends (on Windows the file has a\n"
     "name, removed when the viewer ends, but not when vellumpack is killed\n"
     "first). The exit status is the\n"
     "viewer's, or 128 + the signal number when a signal ended it.\n",
     RunRun},
    {"extract", "extract BOOK DIR",
     "Write the volumes of the book executable BOOK to DIR/system and DIR/files.\n", RunExtract},
    {"list", "list BOOK", "Print both volumes of the book executable BOOK with file sizes.\n",
     RunList},
    {"check", "check BOOKDIR [--contents PAGE] [--title T] [--exclude PATTERN]...",
     "Check the book in BOOKDIR as build would pack it (the same settings are\n"
     "made for what it lacks): System.xml and every settings file it names parse,\n"
     "its settings convert, the variables resolve without cycles or duplicates,\n"
     "every page of the reading order exists, and every href, src, srcset and\n"
     "CSS url() naming a book file finds it (a target missing from many pages is\n"
     "one line with a count; a link above the folder is outside the book). Pages\n"
     "that neither the reading order nor any link reaches, pages placed in the\n"
     "last part of a made reading order and symbolic links left out are noted.\n"
     "Exit status 1 when a problem or a broken link is found, 0 otherwise (notes\n"
     "alone keep 0).\n",
     RunCheck},
    {"cab", "cab list|extract ...",
     "Look into any cabinet file through the viewer's own cabinet reader.\n",
     [](const TArgs& Args) { return Dispatch("cab ", CabCommands, Args); }},
};

std::string Overview(const std::string& Prefix, const std::vector<TCommand>& List) {
  std::string Text = "Usage:\n";
  for (const TCommand& C : List)
    Text += Format("  vellumpack %s\n", C.Synopsis);
  Text += Format("\nRun \"vellumpack %sCOMMAND --help\" for a command's details.\n", Prefix);
  return Text;
}

int Dispatch(const std::string& Prefix, const std::vector<TCommand>& List, const TArgs& Args) {
  if (Args.empty() || IsHelp(Args[0]) || Args[0] == "help") {
    std::fputs(Overview(Prefix, List).c_str(), Args.empty() ? stderr : stdout);
    return Args.empty() ? ExitUsage : 0;
  }
  for (const TCommand& C : List) {
    if (Args[0] != C.Name) continue;
    const TArgs Rest(Args.begin() + 1, Args.end());
    // A sub-table answers --help itself; a plain command answers it here.
    const bool Nested = std::string(C.Synopsis).find('|') != std::string::npos;
    if (!Nested)
      for (const std::string& A : Rest)
        if (IsHelp(A)) {
          std::printf("Usage: vellumpack %s\n\n%s", C.Synopsis, C.Help);
          return 0;
        }
    try {
      return C.Run(Rest);
    } catch (const EUsage& E) {
      std::fprintf(stderr, "vellumpack %s: %s\nUsage: vellumpack %s\n", (Prefix + C.Name).c_str(),
                   E.what(), C.Synopsis);
      return ExitUsage;
    }
  }
  std::fprintf(stderr, "vellumpack: unknown command \"%s%s\"\n\n%s", Prefix.c_str(),
               Args[0].c_str(), Overview(Prefix, List).c_str());
  return ExitUsage;
}

} // namespace

int main(int argc, char** argv) {
  try {
    return Dispatch("", Commands, CommandLineArguments(argc, argv));
  } catch (const std::exception& E) {
    std::fflush(stdout);
    std::fprintf(stderr, "vellumpack: %s\n", E.what());
    return ExitFailure;
  }
}
