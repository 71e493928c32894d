// The FDI interface over in-memory files: every byte goes through the
// callbacks, and each failure of a callback or of the archive ends in the
// right error number with every handle closed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>
#include <vector>

#include "platform/CabConsts.h"
#include "platform/CabIntf.h"
#include "platform/u_CabWriter.h"

using namespace vv;

namespace {

// The files the callbacks see. Callbacks get no user value, hence one global.
struct TMemFiles {
  struct TOpen {
    std::string Name;
    std::int64_t Pos = 0;
  };
  std::map<std::string, std::string> Files;
  std::map<std::intptr_t, TOpen> Open;
  std::intptr_t NextHandle = 100;
  std::int64_t ReadBudget = -1; // bytes the source delivers before failing; -1 unlimited
  bool FailWrites = false;
  int Writes = 0;
  std::vector<std::string> Members; // names offered by fdintCOPY_FILE
  std::map<std::string, std::uint32_t> DateTimes;
  std::map<std::string, int> Attributes;
  std::intptr_t CopyAnswer = 1; // 1: a new output file, 0: skip, -1: abort
  bool SawCabinetInfo = false;
};
TMemFiles* Mem = nullptr;

void* Alloc(std::uint32_t Size) {
  return std::calloc(Size ? Size : 1, 1);
}
void Free(void* P) {
  std::free(P);
}

std::intptr_t OpenFile(char* Name, int Flags, int) {
  if (!Mem->Files.count(Name)) {
    if (!(Flags & VV_O_CREAT)) return -1;
    Mem->Files[Name];
  }
  const std::intptr_t H = Mem->NextHandle++;
  Mem->Open[H] = {Name, 0};
  return H;
}

std::uint32_t ReadFile(std::intptr_t H, void* Buffer, std::uint32_t Count) {
  auto It = Mem->Open.find(H);
  if (It == Mem->Open.end()) return 0xFFFFFFFFu;
  const std::string& Data = Mem->Files[It->second.Name];
  std::int64_t N =
      std::min<std::int64_t>(Count, static_cast<std::int64_t>(Data.size()) - It->second.Pos);
  N = std::max<std::int64_t>(N, 0);
  if (Mem->ReadBudget >= 0) {
    if (Mem->ReadBudget == 0 && N > 0) return 0xFFFFFFFFu;
    N = std::min(N, Mem->ReadBudget);
    Mem->ReadBudget -= N;
  }
  std::memcpy(Buffer, Data.data() + It->second.Pos, static_cast<std::size_t>(N));
  It->second.Pos += N;
  return static_cast<std::uint32_t>(N);
}

std::uint32_t WriteFile(std::intptr_t H, void* Buffer, std::uint32_t Count) {
  auto It = Mem->Open.find(H);
  if (It == Mem->Open.end() || Mem->FailWrites) return 0xFFFFFFFFu;
  ++Mem->Writes;
  std::string& Data = Mem->Files[It->second.Name];
  Data.replace(static_cast<std::size_t>(It->second.Pos), Count, static_cast<const char*>(Buffer),
               Count);
  It->second.Pos += Count;
  return Count;
}

int CloseFile(std::intptr_t H) {
  return Mem->Open.erase(H) ? 0 : -1;
}

// C run-time convention: from the end, the offset is added.
std::int32_t SeekFile(std::intptr_t H, std::int32_t Dist, int Origin) {
  auto It = Mem->Open.find(H);
  if (It == Mem->Open.end()) return -1;
  const std::int64_t Size = static_cast<std::int64_t>(Mem->Files[It->second.Name].size());
  const std::int64_t Base = Origin == 0 ? 0 : Origin == 1 ? It->second.Pos : Size;
  const std::int64_t Target = Base + Dist;
  if (Target < 0) return -1;
  It->second.Pos = Target;
  return static_cast<std::int32_t>(Target);
}

std::intptr_t Notify(FDINOTIFICATIONTYPE Type, FDINOTIFICATION* N) {
  switch (Type) {
  case fdintCABINET_INFO:
    Mem->SawCabinetInfo = true;
    return 0;
  case fdintCOPY_FILE: {
    Mem->Members.push_back(N->psz1);
    if (Mem->CopyAnswer != 1) return Mem->CopyAnswer;
    std::string Name = std::string("out/") + N->psz1;
    Mem->Files[Name].clear();
    return OpenFile(Name.data(), VV_O_CREAT, 0);
  }
  case fdintCLOSE_FILE_INFO:
    Mem->DateTimes[N->psz1] = static_cast<std::uint32_t>(N->date) << 16 | N->time;
    Mem->Attributes[N->psz1] = N->attribs;
    CloseFile(N->hf);
    return 1;
  default:
    return -1;
  }
}

std::string ReadDisk(const std::string& Relative) {
  std::ifstream In(std::string(VV_TESTDATA_DIR "/cab/") + Relative, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
}

class CabIntf : public testing::Test {
protected:
  void SetUp() override {
    Mem = &Files;
    Context = FDICreate(Alloc, Free, OpenFile, ReadFile, WriteFile, CloseFile, SeekFile, VV_cpuUNKNOWN,
                        &Error);
    ASSERT_NE(Context, nullptr);
  }
  void TearDown() override {
    if (Context) {
      EXPECT_EQ(FDIDestroy(Context), 1);
    }
    EXPECT_TRUE(Files.Open.empty()) << "handles left open";
    Mem = nullptr;
  }

  FDIBOOL Copy(const std::string& Cab) {
    Files.Files["cabs/a.cab"] = Cab;
    char Name[] = "a.cab";
    char Path[] = "cabs/";
    return FDICopy(Context, Name, Path, 0, Notify, nullptr, nullptr);
  }

  TMemFiles Files;
  ERF Error;
  HFDI Context = nullptr;
};

TEST_F(CabIntf, ExtractsEveryMemberThroughTheCallbacks) {
  ASSERT_EQ(Copy(ReadDisk("gcab/three_members_mszip.cab")), 1);
  EXPECT_TRUE(Files.SawCabinetInfo);
  EXPECT_EQ(Files.Members, (std::vector<std::string>{"info.mfs", "readme.txt", "data.bin"}));
  EXPECT_EQ(Files.Files["out/info.mfs"], "abc");
  EXPECT_EQ(Files.Files["out/readme.txt"].size(), 80009u);
  const std::string& Data = Files.Files["out/data.bin"];
  ASSERT_EQ(Data.size(), 1000u);
  for (std::size_t i = 0; i < Data.size(); ++i)
    ASSERT_EQ(static_cast<unsigned char>(Data[i]), (i * 7 + 3) & 255);
  EXPECT_EQ(Files.DateTimes["readme.txt"], 0x3D9FBF7Du);
  EXPECT_EQ(Files.DateTimes["data.bin"], 0x26E4645Cu);
  EXPECT_EQ(Files.Attributes["data.bin"], 0x20);
}

TEST_F(CabIntf, SkippedMembersAreNeverWritten) {
  Files.CopyAnswer = 0;
  ASSERT_EQ(Copy(ReadDisk("gcab/three_members_mszip.cab")), 1);
  EXPECT_EQ(Files.Members.size(), 3u);
  EXPECT_EQ(Files.Writes, 0);
}

TEST_F(CabIntf, AnAnswerOfMinusOneAbortsTheCopy) {
  Files.CopyAnswer = -1;
  EXPECT_EQ(Copy(ReadDisk("gcab/three_members_mszip.cab")), 0);
  EXPECT_EQ(Error.erfOper, FDIERROR_USER_ABORT);
  EXPECT_EQ(Error.fError, 1);
  EXPECT_EQ(Files.Members.size(), 1u);
}

TEST_F(CabIntf, AFailingWriteIsATargetFileError) {
  Files.FailWrites = true;
  EXPECT_EQ(Copy(ReadDisk("gcab/single_info_mfs_mszip.cab")), 0);
  EXPECT_EQ(Error.erfOper, FDIERROR_TARGET_FILE);
}

TEST_F(CabIntf, AMissingCabinetIsNotFound) {
  char Name[] = "none.cab";
  char Path[] = "";
  EXPECT_EQ(FDICopy(Context, Name, Path, 0, Notify, nullptr, nullptr), 0);
  EXPECT_EQ(Error.erfOper, FDIERROR_CABINET_NOT_FOUND);
}

TEST_F(CabIntf, AnUnknownFolderCompressionIsReportedAsSuch) {
  EXPECT_EQ(Copy(ReadDisk("libmspack/cabextract/test/bugs/cve-2014-9732-folders-segfault.cab")), 0);
  EXPECT_EQ(Error.erfOper, FDIERROR_BAD_COMPR_TYPE);
}

TEST_F(CabIntf, AnotherMajorVersionIsUnknown) {
  std::string Cab = ReadDisk("gcab/single_info_mfs_mszip.cab");
  Cab[25] = 2;
  EXPECT_EQ(Copy(Cab), 0);
  EXPECT_EQ(Error.erfOper, FDIERROR_UNKNOWN_CABINET_VERSION);
}

// Whatever byte the source stops at, the copy fails cleanly; only the whole
// archive succeeds. Run over stored and compressed data of several blocks.
TEST_F(CabIntf, ASourceFailingAfterNBytesNeverSucceedsEarly) {
  for (const TCabCompression C : {TCabCompression::MSZIP, TCabCompression::None}) {
    std::string Big(70000, '\0');
    for (std::size_t i = 0; i < Big.size(); ++i)
      Big[i] = static_cast<char>((i * i) >> 3);
    const std::string Cab = WriteCabinet({{"a.bin", "first"}, {"b.bin", Big}}, C);
    for (std::int64_t Budget = 0; Budget < static_cast<std::int64_t>(Cab.size()); Budget += 41) {
      Files.ReadBudget = Budget;
      Error = ERF();
      EXPECT_EQ(Copy(Cab), 0) << Budget;
      EXPECT_EQ(Error.fError, 1);
      EXPECT_TRUE(Error.erfOper == FDIERROR_NOT_A_CABINET ||
                  Error.erfOper == FDIERROR_CORRUPT_CABINET || Error.erfOper == FDIERROR_MDI_FAIL)
          << Budget << " gave " << Error.erfOper;
    }
    Files.ReadBudget = -1;
    ASSERT_EQ(Copy(Cab), 1);
    EXPECT_EQ(Files.Files["out/b.bin"], Big);
  }
}

TEST_F(CabIntf, IsCabinetReadsTheHeaderAtTheHandlesPositionAndLeavesIt) {
  Files.Files["x"] = "junk" + ReadDisk("gcab/three_members_mszip.cab");
  char Name[] = "x";
  const std::intptr_t H = OpenFile(Name, 0, 0);
  FDICABINETINFO Info;
  EXPECT_EQ(FDIIsCabinet(Context, H, &Info), 0);
  ASSERT_EQ(SeekFile(H, 4, 0), 4);
  ASSERT_EQ(FDIIsCabinet(Context, H, &Info), 1);
  EXPECT_EQ(SeekFile(H, 0, 1), 4);
  EXPECT_EQ(Info.cbCabinet, 14466);
  EXPECT_EQ(Info.cFolders, 1);
  EXPECT_EQ(Info.cFiles, 3);
  EXPECT_EQ(Info.hasnext, 0);
  EXPECT_EQ(FDIIsCabinet(Context, -1, &Info), 0);
  CloseFile(H);
}

TEST_F(CabIntf, IsCabinetSeesASetMember) {
  Files.Files["x"] = ReadDisk("libmspack/cabextract/test/cabs/split-2.cab");
  char Name[] = "x";
  const std::intptr_t H = OpenFile(Name, 0, 0);
  FDICABINETINFO Info;
  ASSERT_EQ(FDIIsCabinet(Context, H, &Info), 1);
  EXPECT_EQ(Info.hasprev, 1);
  EXPECT_EQ(Info.hasnext, 1);
  EXPECT_EQ(Info.fReserve, 1);
  EXPECT_EQ(Info.iCabinet, 1);
  CloseFile(H);
}

TEST(CabConsts, NamesEveryFdiErrorNumber) {
  EXPECT_EQ(FDIErrorText(0), "No error");
  EXPECT_EQ(FDIErrorText(2), "Cabinet file does not have the correct format");
  EXPECT_EQ(FDIErrorText(7), "Failure decompressing data from a cabinet file");
  EXPECT_EQ(FDIErrorText(10), "Cabinet returned on fdintNEXT_CABINET is incorrect");
  EXPECT_EQ(FDIErrorText(11), "FDI aborted");
  EXPECT_EQ(FDIErrorText(12), "FDI error");
  EXPECT_EQ(FDIErrorText(-1), "FDI error");
}

} // namespace
