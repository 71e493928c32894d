// The cabinet reader over MFS files: member selection, date-times and
// attributes, the error classes and their messages, and the open flags.
#include <gtest/gtest.h>

#include "platform/u_CabWriter.h"
#include "storage/u_MFSCab.h"
#include "storage/u_MFSCabLoad.h"
#include "tests/TestUtil.h"
#include "tests/storage/CabTestUtil.h"

using namespace vv;

namespace {

class MfsCabReader : public testing::Test {
protected:
  TMFS Volume;
  TMFSSession& Session = Volume.DefaultSession();

  void PutCorpus(const std::string& Relative, const std::string& As = "\\archive.cab") {
    cabtest::PutFile(Volume, As, cabtest::ReadDiskFile(cabtest::CorpusPath(Relative)));
  }

  std::string MessageOf(const std::function<void()>& Action) {
    try {
      Action();
    } catch (const EMFSCabError& E) {
      return E.what();
    }
    return "(no error)";
  }
};

// Every stream the reader opened on the volume's files is closed again.
void ExpectNoOpenStreams(const TMFSFolder& Folder) {
  Folder.Children.ForEach([](const std::string&, const TMFSItem* Item) {
    if (const auto* File = dynamic_cast<const TMFSFile*>(Item))
      EXPECT_TRUE(File->OpenStreams.empty()) << File->Name;
    else
      ExpectNoOpenStreams(*static_cast<const TMFSFolder*>(Item));
  });
}

TEST_F(MfsCabReader, MatchesTheMemberNameWithoutRegardToCase) {
  PutCorpus("gcab/single_INFO_MFS_mszip.cab");
  TMFSCabReader Reader(&Session, "\\archive.cab");
  Reader.Extract("info.mfs", "\\out\\info.mfs");
  EXPECT_EQ(Session.GetFile("\\out\\info.mfs")->Content, "abc");
}

TEST_F(MfsCabReader, WritesOnlyTheWantedMemberOfSeveral) {
  PutCorpus("gcab/three_members_mszip.cab");
  {
    TMFSCabReader Reader(&Session, "\\archive.cab");
    EXPECT_EQ(Reader.FileCount, 3);
    EXPECT_EQ(Reader.CabinetSize, 14466);
    Reader.Extract("readme.txt", "\\out\\readme.txt");
  }
  const TMFSFolder* Out = dynamic_cast<TMFSFolder*>(Volume.Root().GetItem("out"));
  ASSERT_NE(Out, nullptr);
  EXPECT_EQ(Out->Children.Count(), 1);
  EXPECT_EQ(Session.GetFile("\\out\\readme.txt")->Content.size(), 80009u);
  EXPECT_EQ(Volume.Root().Children.Count(), 2); // the archive and "out"
  ExpectNoOpenStreams(Volume.Root());
}

TEST_F(MfsCabReader, ALaterMemberOfTheWantedNameReplacesTheEarlierOne) {
  const std::string Cab = WriteCabinet(
      {{"info.mfs", "AAAAAAAAAA", 0x58A17000}, {"INFO.MFS", "BB", 0x58A27000}}, TCabCompression::MSZIP);
  cabtest::PutFile(Volume, "\\archive.cab", Cab);
  TMFSCabReader Reader(&Session, "\\archive.cab");
  Reader.Extract("info.mfs", "\\info.mfs");
  EXPECT_EQ(Session.GetFile("\\info.mfs")->Content, "BB");
  EXPECT_EQ(Session.GetFile("\\info.mfs")->DateTime, 0x58A27000u);
  ExpectNoOpenStreams(Volume.Root());
}

TEST_F(MfsCabReader, GivesTheFileTheMembersDosDateTimeAndLowAttributeBits) {
  PutCorpus("gcab/three_members_stored.cab");
  TMFSCabReader Reader(&Session, "\\archive.cab");
  Reader.Extract("DATA.BIN", "data.bin");
  const TMFSFile* File = Session.GetFile("\\data.bin");
  EXPECT_EQ(File->DateTime, 0x26E4645Cu);
  EXPECT_EQ(File->Attributes, 0x20u);
  ASSERT_EQ(File->Content.size(), 1000u);
  for (std::size_t i = 0; i < File->Content.size(); ++i)
    ASSERT_EQ(static_cast<unsigned char>(File->Content[i]), (i * 7 + 3) & 255) << i;
}

TEST_F(MfsCabReader, KeepsOnlyTheSixCallerAttributeBits) {
  const std::string Cab =
      WriteCabinet({{"info.mfs", "x", 0x58A17000, 0xA7}}, TCabCompression::MSZIP);
  cabtest::PutFile(Volume, "\\archive.cab", Cab);
  TMFSCabReader Reader(&Session, "\\archive.cab");
  Reader.Extract("info.mfs", "\\info.mfs");
  EXPECT_EQ(Session.GetFile("\\info.mfs")->Attributes, 0x27u);
  EXPECT_EQ(Session.GetFile("\\info.mfs")->DateTime, 0x58A17000u);
}

TEST_F(MfsCabReader, RefusesAFileThatIsNotACabinet) {
  cabtest::PutFile(Volume, "\\sub\\notes.txt",
                   "MSCX and more bytes than a header holds, surely enough");
  Session.ChangeDir("\\sub");
  EXPECT_EQ(MessageOf([&] { TMFSCabReader Reader(&Session, "notes.txt"); }),
            "File \"notes.txt\" is not a cabinet");
  EXPECT_THROW(TMFSCabReader(&Session, "notes.txt"), EMFSCabReaderError);
  ExpectNoOpenStreams(Volume.Root());
}

TEST_F(MfsCabReader, RefusesAMissingArchiveAsNotACabinet) {
  EXPECT_EQ(MessageOf([&] { TMFSCabReader Reader(&Session, "\\none.cab"); }),
            "File \"\\none.cab\" is not a cabinet");
}

TEST_F(MfsCabReader, ReportsDamagedDataWithTheFdiTextAndCodeOnOneLine) {
  PutCorpus("corrupt/flip_data_stale_csum.cab");
  TMFSCabReader Reader(&Session, "\\archive.cab");
  try {
    Reader.Extract("info.mfs", "\\info.mfs");
    FAIL() << "no error";
  } catch (const EMFSCabSystemError& E) {
    EXPECT_STREQ(E.what(), "Cabinet file is corrupt [0x0004]");
    EXPECT_EQ(E.ErrorCode, 4);
    EXPECT_EQ(E.ErrorType, 0);
    EXPECT_TRUE(E.ErrorPresent);
  }
}

// A deflate block of the reserved type 3, behind a valid (absent) checksum.
std::string WithUndecodableBlock(std::string Cab) {
  const auto U32 = [&](std::size_t At) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(Cab[At])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(Cab[At + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(Cab[At + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(Cab[At + 3])) << 24;
  };
  const std::size_t Data = U32(36); // first folder's coffCabStart
  for (int i = 0; i < 4; ++i)
    Cab[Data + i] = 0; // no checksum
  EXPECT_EQ(Cab.substr(Data + 8, 2), "CK");
  Cab[Data + 10] = 0x07; // final block, type 3
  return Cab;
}

TEST_F(MfsCabReader, ReportsUndecodableDataAsADecompressionFailure) {
  const std::string Cab =
      WriteCabinet({{"info.mfs", std::string(5000, 'a'), 0x58A17000}}, TCabCompression::MSZIP);
  cabtest::PutFile(Volume, "\\archive.cab", WithUndecodableBlock(Cab));
  TMFSCabReader Reader(&Session, "\\archive.cab");
  EXPECT_EQ(MessageOf([&] { Reader.Extract("info.mfs", "\\info.mfs"); }),
            "Failure decompressing data from a cabinet file [0x0007]");
}

TEST_F(MfsCabReader, AddsTheCallbacksMessageAsASecondLineAfterAFailedCallback) {
  PutCorpus("gcab/single_info_mfs_mszip.cab");
  cabtest::PutFile(Volume, "\\taken", "a file where a folder is needed");
  {
    TMFSCabReader Reader(&Session, "\\archive.cab");
    const std::string Message = MessageOf([&] { Reader.Extract("info.mfs", "\\taken\\info.mfs"); });
    EXPECT_EQ(Message, "FDI aborted [0x000B].\r\nFile \"\\taken\\\" already exists");
  }
  ExpectNoOpenStreams(Volume.Root());
}

// The wanted member's declared size (cbFile of the first CFFILE) set to Size.
std::string WithDeclaredSize(std::string Cab, std::uint32_t Size) {
  const auto Byte = [&](std::size_t At) { return static_cast<unsigned char>(Cab[At]); };
  const std::size_t Files = Byte(16) | Byte(17) << 8 | Byte(18) << 16 | Byte(19) << 24;
  for (int i = 0; i < 4; ++i)
    Cab[Files + i] = static_cast<char>(Size >> (8 * i));
  return Cab;
}

TEST_F(MfsCabReader, RefusesAMemberLargerThanItsArchiveCanHoldBeforeWritingIt) {
  const std::string Cab =
      WriteCabinet({{"info.mfs", std::string(5000, 'a'), 0x58A17000}}, TCabCompression::None);
  // An archive of a few kilobytes cannot hold 4096 times its size; trailing
  // bytes make room for the second case, which no file can hold.
  const std::string Padded = Cab + std::string(600 * 1024, '\0');
  const struct {
    std::string Archive;
    std::uint32_t Declared;
  } Cases[] = {{Cab, static_cast<std::uint32_t>(Cab.size() * 4096 + 1)}, {Padded, 0x80000000u}};
  for (const auto& Case : Cases) {
    cabtest::PutFile(Volume, "\\archive.cab", WithDeclaredSize(Case.Archive, Case.Declared));
    TMFSCabReader Reader(&Session, "\\archive.cab");
    EXPECT_EQ(MessageOf([&] { Reader.Extract("info.mfs", "\\out\\info.mfs"); }),
              "FDI aborted [0x000B].\r\nCabinet member \"info.mfs\" claims " +
                  std::to_string(Case.Declared) + " bytes, more than the cabinet can hold");
    EXPECT_FALSE(Session.Exists("\\out"));
  }
}

TEST_F(MfsCabReader, UnpacksAMemberThatCompressesAsFarAsDeflateGoes) {
  const std::string Zeros(8 << 20, '\0');
  const std::string Cab = WriteCabinet({{"info.mfs", Zeros, 0x58A17000}}, TCabCompression::MSZIP);
  ASSERT_GT(Zeros.size() / Cab.size(), 500u);
  cabtest::PutFile(Volume, "\\archive.cab", Cab);
  TMFSCabReader Reader(&Session, "\\archive.cab");
  Reader.Extract("info.mfs", "\\info.mfs");
  EXPECT_EQ(Session.GetFile("\\info.mfs")->Content, Zeros);
}

TEST_F(MfsCabReader, ReportsSpannedMembersAsUnsupported) {
  // small2.bin goes on in the next cabinet; medium1.bin began in the previous one.
  PutCorpus("libmspack/cabextract/test/cabs/split-1.cab", "\\split-1.cab");
  PutCorpus("libmspack/cabextract/test/cabs/split-2.cab", "\\split-2.cab");
  const std::string Expected = "FDI aborted [0x000B].\r\nSpanned cabinets are unsupported now";
  {
    TMFSCabReader First(&Session, "\\split-1.cab");
    First.Extract("small1.bin", "\\small1.bin"); // wholly inside the first cabinet
    EXPECT_EQ(Session.GetFile("\\small1.bin")->Content.size(), 2000u);
    EXPECT_EQ(MessageOf([&] { First.Extract("small2.bin", "\\small2.bin"); }), Expected);
    TMFSCabReader Second(&Session, "\\split-2.cab");
    EXPECT_EQ(MessageOf([&] { Second.Extract("medium1.bin", "\\medium1.bin"); }), Expected);
  }
  ExpectNoOpenStreams(Volume.Root());
}

TEST_F(MfsCabReader, CheckResultAcceptsOnlyTrue) {
  PutCorpus("gcab/single_info_mfs_mszip.cab");
  TMFSCabReader Reader(&Session, "\\archive.cab");
  EXPECT_NO_THROW(Reader.CheckResult(1));
  Reader.ErrorRecord = {8, 0, 1};
  Reader.LastError = -1;
  Reader.LastExceptionMessage = "Disk full";
  EXPECT_EQ(MessageOf([&] { Reader.CheckResult(0); }),
            "Failure writing to target file [0x0008].\r\nDisk full");
  EXPECT_EQ(Reader.ErrorRecord.erfType, -1);
  Reader.LastError = 0;
  EXPECT_EQ(MessageOf([&] { Reader.CheckResult(0); }), "Failure writing to target file [0x0008]");
  Reader.ErrorRecord = {8, 0, 0};
  Reader.LastError = -1;
  EXPECT_EQ(MessageOf([&] { Reader.CheckResult(0); }), "FDI error");
}

TEST(MfsCabSystemError, FormatsUnknownCodesWithAtLeastFourHexDigits) {
  EXPECT_STREQ(EMFSCabSystemError(0x1F, 0, true, "").what(), "FDI error [0x001F]");
  EXPECT_STREQ(EMFSCabSystemError(0x12345, 0, true, "").what(), "FDI error [0x12345]");
  EXPECT_STREQ(EMFSCabSystemError(-1, 0, true, "").what(), "FDI error [0xFFFFFFFF]");
  EXPECT_STREQ(EMFSCabSystemError(2, -1, true, "why").what(),
               "Cabinet file does not have the correct format [0x0002].\r\nwhy");
}

struct TOpenFlagsCase {
  int OpenFlags;
  int Disposition;
  std::uint32_t Flags;
};

class MfsCabOpenFlags : public testing::TestWithParam<TOpenFlagsCase> {};

TEST_P(MfsCabOpenFlags, TranslateToDispositionAndFlagWord) {
  int Disposition = 0;
  std::uint32_t Flags = 0;
  TranslateOpenFlags(GetParam().OpenFlags, Disposition, Flags);
  EXPECT_EQ(Disposition, GetParam().Disposition);
  EXPECT_EQ(Flags, GetParam().Flags);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MfsCabOpenFlags,
    testing::Values(TOpenFlagsCase{VV_O_BINARY | VV_O_RDONLY, VV_OPEN_EXISTING, 0x80},
                    TOpenFlagsCase{VV_O_CREAT | VV_O_EXCL | VV_O_TRUNC, VV_CREATE_NEW, 0x80},
                    TOpenFlagsCase{VV_O_CREAT | VV_O_TRUNC, VV_CREATE_ALWAYS, 0x80},
                    TOpenFlagsCase{VV_O_TRUNC, VV_TRUNCATE_EXISTING, 0x80},
                    TOpenFlagsCase{VV_O_EXCL, VV_OPEN_EXISTING, 0x80},
                    TOpenFlagsCase{0x8121, VV_OPEN_ALWAYS, 0x80 | 0x08000000},
                    TOpenFlagsCase{VV_O_CREAT | VV_O_SHORT_LIVED, VV_OPEN_ALWAYS, 0x100},
                    TOpenFlagsCase{VV_O_SHORT_LIVED | VV_O_TEMPORARY, VV_OPEN_EXISTING, 0x80},
                    TOpenFlagsCase{VV_O_CREAT | VV_O_TEMPORARY | VV_O_RANDOM, VV_OPEN_ALWAYS,
                                   0x80 | 0x10000000 | VV_FILE_FLAG_DELETE_ON_CLOSE}),
    [](const testing::TestParamInfo<TOpenFlagsCase>& Info) {
      return vvtest::ReadableName(Info.index, "flags_" + std::to_string(Info.param.OpenFlags));
    });

TEST(MfsCabCallbacks, FailWithoutAReaderInProgress) {
  ASSERT_EQ(CurrentCabReader, nullptr);
  char Name[] = "\\x";
  EXPECT_EQ(MFSCabOpen(Name, VV_O_RDONLY, 0), -1);
  EXPECT_EQ(MFSCabSeek(1234, 0, 0), -1);
  EXPECT_EQ(MFSCabClose(-1), 0);
}

TEST_F(MfsCabReader, CallbacksRecordTheirOutcomeInLastError) {
  PutCorpus("gcab/single_info_mfs_mszip.cab");
  TMFSCabReader Reader(&Session, "\\archive.cab");
  std::lock_guard Lock(CabLock);
  CurrentCabReader = &Reader;
  char Missing[] = "\\missing.bin";
  EXPECT_EQ(MFSCabOpen(Missing, VV_O_RDONLY, 0), -1);
  EXPECT_EQ(Reader.LastError, -1);
  EXPECT_EQ(Reader.LastExceptionMessage, "File \"\\missing.bin\" not found");
  char Archive[] = "\\archive.cab";
  const std::intptr_t Handle = MFSCabOpen(Archive, VV_O_RDONLY | VV_O_APPEND, 0);
  EXPECT_EQ(Reader.LastError, 0);
  EXPECT_EQ(MFSCabSeek(Handle, 0, 1), 84); // opened for appending: at the end
  char Byte;
  EXPECT_EQ(MFSCabRead(Handle, &Byte, 1), 0u);
  EXPECT_EQ(MFSCabSeek(Handle, 0, 0), 0);
  EXPECT_EQ(MFSCabRead(Handle, &Byte, 1), 1u);
  EXPECT_EQ(Byte, 'M');
  EXPECT_EQ(MFSCabRead(-1, &Byte, 1), 0xFFFFFFFFu);
  EXPECT_EQ(Reader.LastError, -1);
  EXPECT_EQ(MFSCabClose(Handle), 0);
  EXPECT_EQ(Reader.LastError, 0);
  CurrentCabReader = nullptr;
}

} // namespace
