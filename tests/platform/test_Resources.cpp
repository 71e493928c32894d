// The resource table appended to executables: lookups by type and name, and
// damaged tables that must read as "no resources".
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>

#include "platform/u_Resources.h"

using namespace vv;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& P) {
  std::ifstream In(P, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
}

void WriteAll(const fs::path& P, const std::string& Bytes) {
  std::ofstream Out(P, std::ios::binary | std::ios::trunc);
  Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

class Resources : public testing::Test {
protected:
  void SetUp() override {
    Dir =
        fs::temp_directory_path() / ("vv-res-" + std::to_string(::getpid()) + "-" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(Dir);
    Program = Dir / "program";
    WriteAll(Program, "\x7F"
                      "ELF pretend program bytes");
  }
  void TearDown() override { fs::remove_all(Dir); }

  std::string Packed(const std::vector<TResource>& Items) {
    const fs::path Out = Dir / "packed";
    WriteExecutableWithResources(Program, Out, Items);
    return Out;
  }

  fs::path Dir, Program;
};

const std::vector<TResource> Book = {
    {"RCDATA", "SYSTEM_MFS", "system bytes"},
    {"#10", "FILES_MFS", "numeric type: never read by name"},
    {"RCDATA", "FILES_MFS", std::string("files\0bytes", 11)},
    {"RCDATA", "EMPTY", ""},
};

TEST_F(Resources, FindsEachResourceByTypeAndNameInAnyCase) {
  const std::string Out = Packed(Book);
  EXPECT_EQ(LoadResourceDataFromFile(Out, "RCDATA", "SYSTEM_MFS"), "system bytes");
  EXPECT_EQ(LoadResourceDataFromFile(Out, "rcdata", "files_mfs"), std::string("files\0bytes", 11));
  EXPECT_EQ(LoadResourceDataFromFile(Out, "#10", "FILES_MFS"), "numeric type: never read by name");
  EXPECT_EQ(LoadResourceDataFromFile(Out, "RCDATA", "EMPTY"), "");
  EXPECT_EQ(LoadResourceDataFromFile(Out, "RCDATA", "MISSING"), "");
  EXPECT_EQ(LoadResourceDataFromFile(Program, "RCDATA", "SYSTEM_MFS"), "");
  EXPECT_EQ(LoadResourceDataFromFile((Dir / "absent").string(), "RCDATA", "SYSTEM_MFS"), "");
}

TEST_F(Resources, KeepsTheProgramBytesAndMakesTheCopyExecutable) {
  const std::string Out = Packed(Book);
  const std::string Bytes = ReadAll(Out);
  const std::string Original = ReadAll(Program);
  EXPECT_EQ(Bytes.substr(0, Original.size()), Original);
  struct stat St {};
  ASSERT_EQ(::stat(Out.c_str(), &St), 0);
  EXPECT_EQ(St.st_mode & 0111, 0111u);
  const auto List = ListResources(Out);
  ASSERT_EQ(List.size(), 4u);
  EXPECT_EQ(List[0].Offset, Original.size());
  EXPECT_EQ(List[2].Name, "FILES_MFS");
}

TEST_F(Resources, PackingAPackedProgramReplacesItsResources) {
  const std::string First = Packed(Book);
  const fs::path Again = Dir / "again";
  WriteExecutableWithResources(First, Again, {{"RCDATA", "SYSTEM_MFS", "new"}});
  EXPECT_EQ(LoadResourceDataFromFile(Again, "RCDATA", "SYSTEM_MFS"), "new");
  EXPECT_EQ(LoadResourceDataFromFile(Again, "RCDATA", "FILES_MFS"), "");
  EXPECT_EQ(ReadAll(Again).substr(0, ReadAll(Program).size() + 1), ReadAll(Program) + "n");
}

TEST_F(Resources, RefusesToOverwriteItsInput) {
  EXPECT_THROW(WriteExecutableWithResources(Program, Program, Book), EOSError);
  EXPECT_EQ(ReadAll(Program), "\x7F"
                              "ELF pretend program bytes");
}

TEST_F(Resources, EveryTruncatedTableReadsAsNoResources) {
  const std::string Bytes = ReadAll(Packed(Book));
  const fs::path Cut = Dir / "cut";
  for (std::size_t Keep = 0; Keep < Bytes.size(); ++Keep) {
    WriteAll(Cut, Bytes.substr(0, Keep));
    EXPECT_EQ(LoadResourceDataFromFile(Cut, "RCDATA", "SYSTEM_MFS"), "") << Keep;
    EXPECT_TRUE(ListResources(Cut).empty()) << Keep;
  }
}

// Each footer and directory field set to hostile values: still no crash and
// never bytes from outside the table's resource area.
TEST_F(Resources, DamagedFieldsReadAsNoResources) {
  const std::string Bytes = ReadAll(Packed({{"RCDATA", "SYSTEM_MFS", "abc"}}));
  const fs::path Bad = Dir / "bad";
  const std::size_t Footer = Bytes.size() - 32;
  const std::size_t Dir0 = Footer - (2 + 6 + 2 + 10 + 16);
  const std::vector<std::pair<std::size_t, int>> Fields = {
      {Footer + 0, 8}, {Footer + 8, 8}, {Footer + 16, 4}, {Footer + 20, 4}, {Footer + 24, 8},
      {Dir0, 2},       {Dir0 + 8, 2},   {Dir0 + 20, 8},   {Dir0 + 28, 8},
  };
  for (const auto& [At, Width] : Fields)
    for (const unsigned char Fill : {0x00, 0x01, 0x7F, 0xFF}) {
      std::string Damaged = Bytes;
      for (int i = 0; i < Width; ++i)
        Damaged[At + i] = static_cast<char>(Fill);
      WriteAll(Bad, Damaged);
      const std::string Data = LoadResourceDataFromFile(Bad, "RCDATA", "SYSTEM_MFS");
      EXPECT_TRUE(Data.empty() || Data == "abc") << At << " " << int(Fill);
    }
}

struct TProcessOutput {
  int Status;
  std::string Out;
};

TProcessOutput RunCommand(const std::string& Command) {
  std::unique_ptr<FILE, int (*)(FILE*)> Pipe(::popen(Command.c_str(), "r"), ::pclose);
  std::string Out;
  std::array<char, 4096> Buffer;
  std::size_t N;
  while ((N = std::fread(Buffer.data(), 1, Buffer.size(), Pipe.get())) > 0)
    Out.append(Buffer.data(), N);
  return {::pclose(Pipe.release()), Out};
}

TEST_F(Resources, AProgramReadsItsOwnResourcesByName) {
  const fs::path Viewer = Dir / "viewer";
  WriteExecutableWithResources(VV_RESOURCE_PROBE, Viewer, Book);
  EXPECT_EQ(RunCommand(Viewer.string() + " SYSTEM_MFS").Out, "12:system bytes");
  EXPECT_EQ(RunCommand(Viewer.string() + " files_mfs").Out, std::string("11:files\0bytes", 14));
  EXPECT_EQ(RunCommand(Viewer.string() + " NOPE").Out, "none");
  EXPECT_EQ(RunCommand(std::string(VV_RESOURCE_PROBE) + " SYSTEM_MFS").Out, "none");
}

} // namespace
