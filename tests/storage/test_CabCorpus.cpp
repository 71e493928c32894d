// Archives written by other tools: every valid single cabinet unpacks to the
// listed members; every broken one fails with EMFSCabError, never a crash or a hang.
#include <glib.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <vector>

#include "storage/u_MFSCab.h"
#include "tests/TestUtil.h"
#include "tests/storage/CabTestUtil.h"

using namespace vv;

namespace {

struct TMember {
  std::string Name;
  std::uint64_t Size;
  std::uint32_t DateTime;
  std::uint32_t Attributes;
  std::string Md5; // of the contents as cabextract unpacked them; empty if unknown
};

struct TCorpusCab {
  std::string File;
  bool Valid;
  bool Single;
  bool AtStart; // false: the archive sits inside other bytes and is found only by searching
  std::vector<TMember> Members;
};

void PrintTo(const TCorpusCab& Cab, std::ostream* Os) {
  *Os << Cab.File;
}

std::vector<std::string> SplitTabs(const std::string& Line) {
  std::vector<std::string> Fields;
  std::stringstream S(Line);
  std::string F;
  while (std::getline(S, F, '\t'))
    Fields.push_back(F);
  return Fields;
}

std::string FromHex(const std::string& Hex) {
  std::string Bytes;
  for (std::size_t i = 0; i + 1 < Hex.size(); i += 2)
    Bytes += static_cast<char>(std::stoi(Hex.substr(i, 2), nullptr, 16));
  return Bytes;
}

std::vector<TCorpusCab> LoadCorpus() {
  std::vector<TCorpusCab> Cabs;
  std::map<std::string, std::size_t> ByFile;
  std::istringstream Index(cabtest::ReadDiskFile(cabtest::CorpusPath("INDEX.tsv")));
  std::string Line;
  std::getline(Index, Line);
  while (std::getline(Index, Line)) {
    const auto F = SplitTabs(Line);
    // Archives too large to keep in the repository are left out of the copy.
    if (F.size() < 4 || !std::filesystem::exists(cabtest::CorpusPath(F[0]))) continue;
    ByFile[F[0]] = Cabs.size();
    const bool AtStart =
        F.size() < 6 || F[5].find("NOT a plain cabinet at offset 0") == std::string::npos;
    Cabs.push_back({F[0], F[1] == "yes", F[3] == "yes", AtStart, {}});
  }
  std::istringstream Members(cabtest::ReadDiskFile(cabtest::CorpusPath("MEMBERS.tsv")));
  std::getline(Members, Line);
  while (std::getline(Members, Line)) {
    const auto F = SplitTabs(Line);
    if (F.size() < 12 || !ByFile.count(F[0])) continue;
    const auto Date = std::stoul(F[7], nullptr, 16), Time = std::stoul(F[8], nullptr, 16);
    const std::string Tested = F.size() > 14 ? F[14] : "";
    Cabs[ByFile[F[0]]].Members.push_back(
        {FromHex(F[3]), std::stoull(F[4]), static_cast<std::uint32_t>(Date << 16 | Time),
         static_cast<std::uint32_t>(std::stoul(F[11], nullptr, 16)),
         Tested.starts_with("OK ") ? Tested.substr(3, 32) : ""});
  }
  // The listing's header walk shows the hidden entries of this archive;
  // libmspack, like every FDI reader, shows the entries the header counts.
  for (TCorpusCab& Cab : Cabs)
    if (Cab.File.ends_with("/hidden-files.cab"))
      for (std::size_t i = 0; i < Cab.Members.size(); ++i)
        Cab.Members[i].Name = "normal" + std::to_string(i + 1) + ".txt";
  return Cabs;
}

std::string Md5(const std::string& Bytes) {
  gchar* Hex = g_compute_checksum_for_data(
      G_CHECKSUM_MD5, reinterpret_cast<const guchar*>(Bytes.data()), Bytes.size());
  std::string Result(Hex);
  g_free(Hex);
  return Result;
}

class CabCorpus : public testing::TestWithParam<TCorpusCab> {};

// Unpacks every member to "\out\N"; the first failure is returned.
struct TOutcome {
  bool Failed = false;
  std::string Message;
};

TOutcome ExtractAll(TMFS& Volume, const TCorpusCab& Cab) {
  TOutcome Outcome;
  try {
    TMFSCabReader Reader(&Volume.DefaultSession(), "\\archive.cab");
    bool HasInfo = false;
    for (std::size_t i = 0; i < Cab.Members.size(); ++i) {
      Reader.Extract(Cab.Members[i].Name, "\\out\\" + std::to_string(i));
      HasInfo = HasInfo || SameText(Cab.Members[i].Name, "info.mfs");
    }
    // What the viewer does: the whole archive is read even if no member matches.
    if (!HasInfo) Reader.Extract("info.mfs", "\\probe\\info.mfs");
  } catch (const EMFSCabError& E) {
    Outcome.Failed = true;
    Outcome.Message = E.what();
  }
  return Outcome;
}

bool NameIsUnique(const TCorpusCab& Cab, std::size_t i) {
  for (std::size_t j = 0; j < Cab.Members.size(); ++j)
    if (j != i && SameText(Cab.Members[j].Name, Cab.Members[i].Name)) return false;
  return true;
}

TEST_P(CabCorpus, ValidSingleCabinetsUnpackAndBrokenOnesFailCleanly) {
  const TCorpusCab& Cab = GetParam();
  TMFS Volume;
  cabtest::PutFile(Volume, "\\archive.cab", cabtest::ReadDiskFile(cabtest::CorpusPath(Cab.File)));
  const TOutcome Outcome = ExtractAll(Volume, Cab);

  if (!Cab.Valid || !Cab.AtStart) {
    EXPECT_TRUE(Outcome.Failed) << "a broken archive unpacked without an error";
    EXPECT_FALSE(Outcome.Message.empty());
    return;
  }
  if (!Cab.Single) {
    ASSERT_TRUE(Outcome.Failed) << "a part of a cabinet set unpacked completely";
    EXPECT_NE(Outcome.Message.find("Spanned cabinets are unsupported now"), std::string::npos)
        << Outcome.Message;
    return;
  }
  ASSERT_FALSE(Outcome.Failed) << Outcome.Message;
  for (std::size_t i = 0; i < Cab.Members.size(); ++i) {
    if (!NameIsUnique(Cab, i)) continue; // both members land in each other's destination
    SCOPED_TRACE(Cab.Members[i].Name);
    const TMFSFile* Out = Volume.DefaultSession().GetFile("\\out\\" + std::to_string(i));
    EXPECT_EQ(Out->Content.size(), Cab.Members[i].Size);
    EXPECT_EQ(Out->DateTime, Cab.Members[i].DateTime);
    EXPECT_EQ(Out->Attributes, Cab.Members[i].Attributes & 0x3F);
    if (!Cab.Members[i].Md5.empty()) {
      EXPECT_EQ(Md5(Out->Content), Cab.Members[i].Md5);
    }
  }
}

std::string CaseName(const testing::TestParamInfo<TCorpusCab>& Info) {
  return vvtest::ReadableName(Info.index, Info.param.File);
}

INSTANTIATE_TEST_SUITE_P(SharedTestData, CabCorpus, testing::ValuesIn(LoadCorpus()), CaseName);

} // namespace
