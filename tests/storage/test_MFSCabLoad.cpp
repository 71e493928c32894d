// Whole volumes through archives: container → cabinet → volume, byte for byte.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/u_CabWriter.h"
#include "storage/u_MFSCab.h"
#include "storage/u_MFSCabLoad.h"
#include "tests/storage/CabTestUtil.h"

using namespace vv;

namespace {

std::string RandomBytes(std::size_t Size, unsigned Seed) {
  std::mt19937 Gen(Seed);
  std::string Bytes(Size, '\0');
  for (char& C : Bytes)
    C = static_cast<char>(Gen());
  return Bytes;
}

// Nested folders, every byte value, an empty file, and members spanning many
// 32 KiB blocks both compressible and not.
void FillBook(TMFS& Volume) {
  TMFSSession& S = Volume.DefaultSession();
  std::string AllBytes;
  for (int i = 0; i < 256; ++i)
    AllBytes += static_cast<char>(i);
  cabtest::PutFile(Volume, "\\index.htm", "<html>%{Title}</html>");
  cabtest::PutFile(Volume, "\\chapter1\\page1.htm", std::string(100000, 'p'));
  cabtest::PutFile(Volume, "\\chapter1\\img\\all.bin", AllBytes);
  cabtest::PutFile(Volume, "\\chapter1\\img\\photo.jpg", RandomBytes(3 * 32768 + 17, 7));
  cabtest::PutFile(Volume, "\\empty.txt", "");
  S.ForceFolders("\\chapter2\\deep\\deeper\\");
  S.GetFile("\\empty.txt")->DateTime = 0x3D9FBF7D;
  S.GetFile("\\index.htm")->Attributes = 0x21;
}

std::string BookCabinet(const std::string& Container, TCabCompression Compression) {
  return WriteCabinet({{"info.mfs", Container, NowAsDosDateTime(), 0x20}}, Compression);
}

class LoadVolume : public testing::TestWithParam<TCabCompression> {};

TEST_P(LoadVolume, ReproducesTheContainerExactly) {
  TMFS Book;
  FillBook(Book);
  const std::string Container = Book.SaveToString();
  TMFS Loaded;
  LoadVolumeFromCabinet(Loaded, BookCabinet(Container, GetParam()));
  EXPECT_TRUE(Loaded.SaveToString() == Container);
  EXPECT_EQ(Loaded.DefaultSession().GetFile("\\CHAPTER1\\img\\ALL.bin")->Content.size(), 256u);
}

INSTANTIATE_TEST_SUITE_P(Compressions, LoadVolume,
                         testing::Values(TCabCompression::MSZIP, TCabCompression::None),
                         [](const testing::TestParamInfo<TCabCompression>& Info) {
                           return std::string(Info.param == TCabCompression::MSZIP ? "MSZIP" : "Stored");
                         });

TEST(LoadVolumeFromCabinet, ReplacesWhatTheVolumeHeld) {
  TMFS Book;
  FillBook(Book);
  TMFS Volume;
  cabtest::PutFile(Volume, "\\old.txt", "old");
  LoadVolumeFromCabinet(Volume, BookCabinet(Book.SaveToString(), TCabCompression::MSZIP));
  EXPECT_FALSE(Volume.DefaultSession().Exists("\\old.txt"));
  EXPECT_TRUE(Volume.DefaultSession().Exists("\\chapter2\\deep\\deeper"));
}

TEST(LoadVolumeFromCabinet, EmptyBytesAreNotACabinet) {
  TMFS Volume;
  try {
    LoadVolumeFromCabinet(Volume, "");
    FAIL() << "no error";
  } catch (const EMFSCabReaderError& E) {
    EXPECT_STREQ(E.what(), "File \"\\info.cab\" is not a cabinet");
  }
}

TEST(LoadVolumeFromCabinet, AnArchiveWithoutInfoMfsGivesNotFound) {
  TMFS Volume;
  const std::string Cab = WriteCabinet({{"other.mfs", "MFS", 0x58A17000}}, TCabCompression::MSZIP);
  try {
    LoadVolumeFromCabinet(Volume, Cab);
    FAIL() << "no error";
  } catch (const EMFSError& E) {
    EXPECT_STREQ(E.what(), "File \"\\info.mfs\" not found");
  }
}

TEST(LoadVolumeFromCabinet, ABadContainerIsAnIncorrectFormat) {
  TMFS Volume;
  const std::string Cab =
      WriteCabinet({{"INFO.MFS", "MFS00000000garbage", 0x58A17000}}, TCabCompression::MSZIP);
  EXPECT_THROW(
      {
        try {
          LoadVolumeFromCabinet(Volume, Cab);
        } catch (const EMFSError& E) {
          EXPECT_STREQ(E.what(), "Incorrect serialized format");
          throw;
        }
      },
      EMFSError);
}

TEST(LoadVolumeFromCabinet, ExtraMembersDoNotDisturbTheBook) {
  TMFS Book;
  FillBook(Book);
  const std::string Container = Book.SaveToString();
  const std::string Cab = WriteCabinet({{"readme.txt", std::string(70000, 'r'), 0x58A17000},
                                        {"info.mfs", Container, 0x58A17000},
                                        {"sub\\info.mfs", "not this one", 0x58A17000}},
                                       TCabCompression::MSZIP);
  TMFS Loaded;
  LoadVolumeFromCabinet(Loaded, Cab);
  EXPECT_TRUE(Loaded.SaveToString() == Container);
}

// A book of several rounds of blocks, streamed: the container is written in
// pieces of every size after a member that leaves it at no block boundary, and
// pages repeat text from far back, so blocks refer into the blocks before them.
class StreamedBook : public testing::Test {
protected:
  void SetUp() override {
    const std::string Phrase = RandomBytes(20000, 5);
    for (int i = 0; i < 300; ++i)
      cabtest::PutFile(Book, Format("\\ch%d\\p%d.htm", i % 7, i),
                       Phrase.substr(static_cast<std::size_t>(i) * 37 % 9000, 5000 + i) +
                           RandomBytes(static_cast<std::size_t>(i) * 101 % 3000, i) +
                           std::string(static_cast<std::size_t>(i) * 97, 'x') + Phrase);
    Container = Book.SaveToString();
    ASSERT_GT(Container.size(), 9u << 20);
    TBytesStream Out;
    Out.WriteBytes("before the cabinet");
    WriteCabinet(Out,
                 {{"lead.bin", [](TStream& Data) { Data.WriteBytes(std::string(70001, 'l')); }},
                  {"info.mfs", [this](TStream& Data) { Book.SaveToStream(Data); }}},
                 TCabCompression::MSZIP, [this](std::uint64_t Done) { Reports.push_back(Done); });
    Cab = Out.Bytes().substr(18);
  }

  TMFS Book;
  std::string Container, Cab;
  std::vector<std::uint64_t> Reports;
};

TEST_F(StreamedBook, ReproducesTheContainerExactly) {
  TMFS Loaded;
  LoadVolumeFromCabinet(Loaded, Cab);
  EXPECT_TRUE(Loaded.SaveToString() == Container);
  // Compressed, though each block stands alone and cannot share the book's repeats.
  EXPECT_LT(Cab.size(), Container.size() * 3 / 4);
  ASSERT_GE(Reports.size(), 3u);
  EXPECT_EQ(Reports.back(), 70001 + Container.size());
  EXPECT_TRUE(std::is_sorted(Reports.begin(), Reports.end()));
}

// Other readers of the format take it too, where they are installed.
TEST_F(StreamedBook, OtherCabinetToolsUnpackIt) {
  const std::string Dir = testing::TempDir() + "vv-streamed-" + std::to_string(::getpid());
  std::filesystem::create_directories(Dir);
  { std::ofstream(Dir + "/book.cab", std::ios::binary) << Cab; }
  int Tools = 0;
  for (const std::string& Command :
       {"cabextract -q -d " + Dir + "/cabextract " + Dir + "/book.cab",
        "gcab -x -C " + Dir + "/gcab " + Dir + "/book.cab"}) {
    const std::string Tool = Command.substr(0, Command.find(' '));
    if (std::system(("command -v " + Tool + " >/dev/null").c_str()) != 0) continue;
    ++Tools;
    std::filesystem::create_directories(Dir + "/" + Tool);
    ASSERT_EQ(std::system(Command.c_str()), 0) << Command;
    EXPECT_TRUE(cabtest::ReadDiskFile(Dir + "/" + Tool + "/info.mfs") == Container) << Tool;
  }
  std::filesystem::remove_all(Dir);
  if (Tools == 0) GTEST_SKIP() << "neither cabextract nor gcab is installed";
}

// The plain road settles a load only where the general road loads the same
// tree, whatever byte of the archive is damaged, and leaves the volume as it
// was otherwise.
TEST(LoadPlainCabinet, LoadsOnlyWhatTheGeneralRoadLoadsAlike) {
  TMFS Book;
  FillBook(Book);
  const std::string Cab = WriteCabinet({{"lead.txt", std::string(40000, 'l'), 0x58A17000},
                                        {"info.mfs", Book.SaveToString(), 0x58A17000}},
                                       TCabCompression::MSZIP);
  std::mt19937 Gen(11);
  int Settled = 0;
  constexpr int HeaderBits = 8 * 160; // every bit of the headers and entries, then anywhere
  for (int Round = 0; Round < HeaderBits + 300; ++Round) {
    std::string Damaged = Cab;
    const std::size_t At = Round < HeaderBits ? Round / 8 : Gen() % Damaged.size();
    Damaged[At] =
        static_cast<char>(Damaged[At] ^ (1 << (Round < HeaderBits ? Round % 8 : Gen() % 8)));
    TMFS Plain, General;
    cabtest::PutFile(Plain, "\before.txt", "kept");
    if (!LoadPlainCabinet(Plain, CabSourceOf(Damaged))) {
      EXPECT_EQ(Plain.DefaultSession().GetFile("\before.txt")->Content, "kept") << At;
      continue;
    }
    ++Settled;
    try {
      LoadAnyCabinet(General, Damaged);
    } catch (const std::exception& E) {
      ADD_FAILURE() << "byte " << At << ": only the plain road loads it; the general road says "
                    << E.what();
      continue;
    }
    EXPECT_TRUE(Plain.SaveToString() == General.SaveToString()) << At;
  }
  // Dates, attributes and reserved fields of the archive are not the book's.
  EXPECT_GT(Settled, 20);
  TMFS Whole;
  EXPECT_TRUE(LoadPlainCabinet(Whole, CabSourceOf(Cab)));
}

// A second file table where only the header's offset points, naming another
// container "info.mfs": every other cabinet reader takes the table after the
// folder entry, and so does the book.
TEST(LoadPlainCabinet, ReadsTheFileTableWhereEveryOtherReaderDoes) {
  std::ifstream In(std::string(VV_SOURCE_DIR) + "/fuzz/corpus/cab/two_file_tables.cab", std::ios::binary);
  const std::string Cab((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  ASSERT_FALSE(Cab.empty());
  TMFS Plain, General;
  EXPECT_FALSE(LoadPlainCabinet(Plain, CabSourceOf(Cab)));
  LoadAnyCabinet(General, Cab);
  EXPECT_EQ(General.DefaultSession().GetFile("\\index.htm")->Content, "<html>the real book</html>\n");
}

// Every cut of a real book archive fails cleanly, with a cabinet error.
TEST(LoadVolumeFromCabinet, EveryTruncationFailsWithACabinetError) {
  TMFS Book;
  cabtest::PutFile(Book, "\\a.htm", RandomBytes(40000, 3) + std::string(40000, 'x'));
  const std::string Cab = BookCabinet(Book.SaveToString(), TCabCompression::MSZIP);
  for (std::size_t Cut = 0; Cut < Cab.size(); Cut += (Cut < 200 ? 1 : 97)) {
    TMFS Volume;
    EXPECT_THROW(LoadVolumeFromCabinet(Volume, Cab.substr(0, Cut)), EMFSCabError) << Cut;
  }
}

} // namespace
