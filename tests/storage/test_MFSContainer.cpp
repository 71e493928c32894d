#include <gtest/gtest.h>

#include "tests/TestUtil.h"

#include <filesystem>
#include <fstream>
#include <random>

#include "storage/u_MFS.h"
#include "tests/storage/MFSBytes.h"

using namespace vv;
using vvtest::MessageOf;
using namespace mfsbytes;

namespace {

std::string Root(std::uint32_t Count, const std::string& Children) { return Folder("", Count, Children, false); }

std::string ReadDiskFile(const std::filesystem::path& P) {
  std::ifstream In(P, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(In), {});
}

struct TempDir {
  std::filesystem::path Path;
  TempDir() {
    Path = std::filesystem::temp_directory_path() /
           ("vv-mfs-" + std::to_string(std::random_device{}()) + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(Path);
  }
  ~TempDir() { std::filesystem::remove_all(Path); }
};
} // namespace

TEST(MFSContainer, EmptyRootIs27Bytes) {
  TMFS Volume;
  const std::string Bytes = Volume.SaveToString();
  ASSERT_EQ(Bytes.size(), 27u);
  EXPECT_EQ(Bytes.substr(0, 3), "MFS");
  EXPECT_EQ(Bytes.substr(11, 4), U32(0));
  EXPECT_EQ(Bytes.substr(19, 4), U32(0x10));
  EXPECT_EQ(Bytes.substr(23, 4), U32(0));
  TMFS Again;
  Again.LoadFromString(Bytes);
  EXPECT_EQ(Again.Root().Children.Count(), 0);
}

TEST(MFSContainer, RoundTripsNestedFoldersAndBinaryFiles) {
  TMFS Volume;
  auto& S = Volume.DefaultSession();
  std::string Binary;
  for (int i = 0; i < 70000; ++i)
    Binary += static_cast<char>(i * 7);
  S.ForceFolders("\\chap1\\img\\");
  S.CreateMFSFile("\\chap1\\img\\pic.bin", 0x01, false)->Content = Binary;
  S.CreateMFSFile("\\index.htm", 0, false)->Content = std::string("a\0b", 3);
  S.CreateMFSFile("\\empty.txt", 0, false);
  TMFS Loaded;
  Loaded.LoadFromString(Volume.SaveToString());
  auto& L = Loaded.DefaultSession();
  EXPECT_EQ(L.GetFile("\\CHAP1\\IMG\\PIC.BIN")->Content, Binary);
  EXPECT_EQ(L.GetFile("\\chap1\\img\\pic.bin")->Attributes, 0x21u);
  EXPECT_EQ(L.GetFile("index.htm")->Content, std::string("a\0b", 3));
  EXPECT_EQ(L.GetFile("empty.txt")->Content, "");
  EXPECT_EQ(Loaded.SaveToString(), Volume.SaveToString());
  // Streamed, the same bytes come out, checksum first.
  TBytesStream Streamed;
  Volume.SaveToStream(Streamed);
  EXPECT_EQ(Streamed.Bytes(), Volume.SaveToString());
}

// A container arriving a few bytes at a time, as it comes out of an archive.
class TPieces : public TSourceStream {
public:
  explicit TPieces(std::string Bytes)
      : TSourceStream(static_cast<std::int64_t>(Bytes.size())), Bytes(std::move(Bytes)) {}

protected:
  std::string_view Next() override {
    const std::size_t N = std::min<std::size_t>(1 + Taken % 7, Bytes.size() - Taken);
    const std::string_view Piece = std::string_view(Bytes).substr(Taken, N);
    Taken += N;
    return Piece;
  }

private:
  const std::string Bytes;
  std::size_t Taken = 0;
};

// Read front to back, a sound container loads as LoadFromString loads it; any
// container LoadFromString refuses or loads only in part is declined, and the
// volume keeps its tree.
TEST(MFSContainer, ASoundContainerLoadsFromAStreamAndNothingElseDoes) {
  const std::string Good =
      Container(Root(2, File("a.htm", std::string(70000, 'a')) +
                            Folder("d", 2, File("b.htm", "bee") + File("B.HTM", "later"))));
  TMFS FromString, FromStream;
  FromString.LoadFromString(Good);
  TPieces Whole(Good);
  ASSERT_TRUE(FromStream.LoadSoundContainer(Whole));
  EXPECT_EQ(FromStream.SaveToString(), FromString.SaveToString());
  EXPECT_EQ(FromStream.DefaultSession().GetFile("\\d\\b.htm")->Content, "later");

  std::string BadSum = Good, BadType = Container(Root(1, "X" + Head("x", 0, 0)));
  BadSum[5] = BadSum[5] == '0' ? '1' : '0';
  const std::string Trailing = Container(Root(0, "") + "extra"); // covered by the checksum, loads
  std::vector<std::string> Refused = {BadSum, BadType, "MFX" + Good.substr(3), Good.substr(0, 30),
                                      Container(Root(2, File("only", "1")))};
  for (const std::string& Bytes : Refused) {
    TMFS Volume;
    Volume.DefaultSession().CreateMFSFile("\\kept.txt", 0, false)->Content = "kept";
    TPieces Stream(Bytes);
    EXPECT_FALSE(Volume.LoadSoundContainer(Stream)) << Bytes.substr(0, 20);
    EXPECT_EQ(Volume.DefaultSession().GetFile("\\kept.txt")->Content, "kept");
  }
  TMFS Volume;
  TPieces Stream(Trailing);
  EXPECT_TRUE(Volume.LoadSoundContainer(Stream));
}

TEST(MFSContainer, ReadsChildrenInAnyOrderAndWritesThemSorted) {
  const std::string Bytes =
      Container(Root(3, File("ToolButtons.xml", "1") + File("ToolBar.buttons", "2") + Folder("a", 0, "")));
  TMFS Volume;
  Volume.LoadFromString(Bytes);
  EXPECT_EQ(Volume.Root().Children.Dictionary.Keys(),
            (std::vector<std::string>{"a", "ToolBar.buttons", "ToolButtons.xml"}));
  EXPECT_EQ(Volume.SaveToString(),
            Container(Root(3, Folder("a", 0, "") + File("ToolBar.buttons", "2") + File("ToolButtons.xml", "1"))));
}

TEST(MFSContainer, LaterChildWithAnEqualNameWins) {
  TMFS Volume;
  Volume.LoadFromString(Container(Root(2, File("Page.htm", "old") + File("PAGE.HTM", "new"))));
  ASSERT_EQ(Volume.Root().Children.Count(), 1);
  const auto* Page = Volume.DefaultSession().GetFile("page.htm");
  EXPECT_EQ(Page->Name, "PAGE.HTM");
  EXPECT_EQ(Page->Content, "new");
}

TEST(MFSContainer, AttributesReadFromAContainerAreTakenWhole) {
  TMFS Volume;
  Volume.LoadFromString(Container(Root(1, File("x", "", 0x80000001))));
  EXPECT_EQ(Volume.DefaultSession().GetFile("x")->Attributes, 0x80000001u);
}

TEST(MFSContainer, RejectsBadMagicChecksumAndTypeBytes) {
  const std::string Good = Container(Root(1, File("a.htm", "abc")));
  TMFS Volume;
  auto Rejects = [&](const std::string& Bytes) {
    return MessageOf([&] { Volume.LoadFromString(Bytes); }) == "Incorrect serialized format";
  };
  EXPECT_TRUE(Rejects("MFX" + Good.substr(3)));
  EXPECT_TRUE(Rejects(Good.substr(0, 10)));
  EXPECT_TRUE(Rejects(""));
  std::string Lower = Good;
  for (int i = 3; i < 11; ++i)
    Lower[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(Lower[i])));
  ASSERT_NE(Lower, Good) << "checksum must contain a letter for this case";
  EXPECT_TRUE(Rejects(Lower));
  std::string Flipped = Good;
  Flipped.back() ^= 1;
  EXPECT_TRUE(Rejects(Flipped));
  EXPECT_TRUE(Rejects(Container(Root(1, "f" + File("a", "").substr(1)))));
  EXPECT_TRUE(Rejects(Container(Root(1, std::string(1, '\0') + File("a", "").substr(1)))));
}

TEST(MFSContainer, WrongChecksumLeavesThePreviousTree) {
  TMFS Volume;
  Volume.LoadFromString(Container(Root(1, File("keep.htm", "x"))));
  std::string Bad = Container(Root(0, ""));
  Bad[5] = Bad[5] == '0' ? '1' : '0';
  EXPECT_THROW(Volume.LoadFromString(Bad), EMFSError);
  EXPECT_TRUE(Volume.DefaultSession().Exists("\\keep.htm"));
}

TEST(MFSContainer, TruncationAtEveryOffsetFailsCleanly) {
  const std::string Record =
      Root(2, Folder("sub", 1, File("deep.txt", "hello")) + File("top.bin", std::string(40, '\x7f')));
  ASSERT_NO_THROW(TMFS().LoadFromString(Container(Record)));
  for (std::size_t Cut = 0; Cut < Record.size(); ++Cut) {
    TMFS Volume;
    // A correct checksum over the cut record, so the reader itself must notice.
    try {
      Volume.LoadFromString(Container(Record.substr(0, Cut)));
      ADD_FAILURE() << "accepted a record cut at " << Cut;
    } catch (const EReadError& E) {
      EXPECT_STREQ(E.what(), "Stream read error");
    }
  }
}

TEST(MFSContainer, ChildrenReadBeforeAFailureStay) {
  TMFS Volume;
  const std::string Record = Root(3, File("one", "1") + File("two", "2") + "F" + U32(100));
  EXPECT_THROW(Volume.LoadFromString(Container(Record)), EReadError);
  EXPECT_EQ(Volume.Root().Children.Count(), 2);
}

// A large container's checksum is summed beside the reading of its tree: the
// outcomes stay those of summing first.
TEST(MFSContainer, ALargeContainerKeepsTheOrderOfItsChecks) {
  const std::string Large = File("large.bin", std::string(3 << 20, 'L'));
  TMFS Volume;
  auto& S = Volume.DefaultSession();
  Volume.LoadFromString(Container(Root(2, Large + File("keep.htm", "x"))));
  EXPECT_EQ(S.GetFile("\\large.bin")->Content.size(), 3u << 20);
  // A wrong checksum leaves the tree there was, even when a record fails too.
  for (const std::string& Record : {Root(1, Large), Root(3, Large + "F" + U32(100))}) {
    std::string Bad = Container(Record);
    Bad[5] = Bad[5] == '0' ? '1' : '0';
    EXPECT_EQ(MessageOf([&] { Volume.LoadFromString(Bad); }), "Incorrect serialized format");
    EXPECT_TRUE(S.Exists("\\keep.htm"));
  }
  // A record failing under a right checksum keeps what was read before it.
  S.ChangeDir("\\");
  EXPECT_EQ(MessageOf([&] { Volume.LoadFromString(Container(Root(3, Large + File("two", "2") + "F" + U32(100)))); }),
            "Stream read error");
  EXPECT_EQ(Volume.Root().Children.Count(), 2);
  EXPECT_FALSE(S.Exists("\\keep.htm"));
  EXPECT_TRUE(S.Exists("two"));
}

TEST(MFSContainer, OversizedLengthsFailBeforeAllocating) {
  TMFS Volume;
  for (std::uint32_t Length : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFFu, 1000u}) {
    const std::string NameTooLong = U32(Length) + "abc";
    EXPECT_THROW(Volume.LoadFromString(Container(NameTooLong)), EReadError) << Length;
    const std::string ContentTooLong = Root(1, "F" + Head("a", 0, 0x20) + U32(Length) + "xy");
    EXPECT_THROW(Volume.LoadFromString(Container(ContentTooLong)), EReadError) << Length;
  }
}

TEST(MFSContainer, DeepNestingIsRefusedWithoutExhaustingTheStack) {
  std::string Record;
  const int Depth = 100000;
  // Built inside out: each folder holds the next.
  std::string Inner = Folder("d", 0, "");
  std::string Prefix;
  for (int i = 0; i < Depth; ++i)
    Prefix += Folder("d", 1, "");
  TMFS Volume;
  EXPECT_EQ(MessageOf([&] { Volume.LoadFromString(Container(Root(1, Prefix + Inner))); }),
            "Incorrect serialized format");

  std::string Fits;
  for (int i = 0; i < MaxFolderNesting; ++i)
    Fits += Folder("d", 1, "");
  Fits += File("leaf", "x");
  Volume.LoadFromString(Container(Root(1, Fits)));
  EXPECT_EQ(Volume.Root().Children.Count(), 1);
}

TEST(MFSContainer, SavingRefusesWhatLoadingWouldRefuse) {
  const auto Chain = [](int Depth) {
    std::string Path;
    for (int i = 0; i < Depth; ++i)
      Path += "\\d";
    return Path;
  };
  TMFS Fits;
  Fits.DefaultSession().ForceFolders(Chain(MaxFolderNesting));
  Fits.DefaultSession().CreateMFSFile(Chain(MaxFolderNesting) + "\\leaf", 0, false)->Content = "x";
  TMFS Copy;
  Copy.LoadFromString(Fits.SaveToString());
  EXPECT_EQ(Copy.DefaultSession().GetFile(Chain(MaxFolderNesting) + "\\LEAF")->Content, "x");

  TMFS TooDeep;
  TooDeep.DefaultSession().ForceFolders(Chain(MaxFolderNesting + 1));
  EXPECT_EQ(MessageOf([&] { (void)TooDeep.SaveToString(); }),
            "Folder \"" + Chain(MaxFolderNesting + 1) + "\\\" nests deeper than 1000 levels");

  // Deep enough to exhaust the stack of a writer that recursed per level.
  TMFS Deepest;
  Deepest.DefaultSession().ForceFolders(Chain(100000));
  EXPECT_THROW((void)Deepest.SaveToString(), EMFSError);
}

TEST(MFSSaveToDisk, WritesTheTree) {
  TempDir Dir;
  TMFS Volume;
  auto& S = Volume.DefaultSession();
  S.ForceFolders("a\\b");
  S.CreateMFSFile("a\\b\\c.txt", 0, false)->Content = "deep";
  S.CreateMFSFile("top.bin", 0, false)->Content = std::string("\0\1", 2);
  Volume.Root().SaveToDisk((Dir.Path / "out").string());
  EXPECT_EQ(ReadDiskFile(Dir.Path / "out/a/b/c.txt"), "deep");
  EXPECT_EQ(ReadDiskFile(Dir.Path / "out/top.bin"), std::string("\0\1", 2));
}

TEST(MFSSaveToDisk, RefusesNamesThatWouldLeaveTheFolder) {
  for (const std::string& Bad : {std::string(".."), std::string("."), std::string(""), std::string("x/y"),
                                 std::string("..\\..\\evil"), std::string("a\0b", 3)}) {
    TempDir Dir;
    TMFS Volume;
    // Loading such a container works; only writing it out is refused.
    Volume.LoadFromString(Container(Root(1, File(Bad, "boom"))));
    EXPECT_THROW(Volume.Root().SaveToDisk((Dir.Path / "out").string()), EMFSError);
    EXPECT_FALSE(std::filesystem::exists(Dir.Path / "evil"));
    EXPECT_FALSE(std::filesystem::exists(Dir.Path / "x"));
    EXPECT_TRUE(std::filesystem::is_empty(Dir.Path / "out"));
  }
}
