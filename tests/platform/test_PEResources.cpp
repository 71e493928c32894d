// Windows books written and read on Linux: the resource section added to a
// PE image, found by the system's rules (named type, any case), and damage
// that must read as "no resources".
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "platform/u_PEResources.h"

using namespace vv;
namespace fs = std::filesystem;

namespace {

void Put(std::string& Bytes, std::size_t At, std::uint64_t Value, int Size) {
  for (int i = 0; i < Size; ++i)
    Bytes[At + i] = static_cast<char>(Value >> (8 * i));
}

// The smallest 64-bit image mingw's linker could have made: headers and one
// code section, file alignment 0x200, section alignment 0x1000.
std::string TinyImage() {
  std::string Image(0x600, '\0');
  Image[0] = 'M', Image[1] = 'Z';
  Put(Image, 0x3C, 0x40, 4);
  Image.replace(0x40, 4, std::string("PE\0\0", 4));
  Put(Image, 0x44, 0x8664, 2); // machine
  Put(Image, 0x46, 1, 2);      // sections
  Put(Image, 0x54, 240, 2);    // optional header size
  const std::size_t Opt = 0x58;
  Put(Image, Opt, 0x20B, 2);
  Put(Image, Opt + 32, 0x1000, 4);
  Put(Image, Opt + 36, 0x200, 4);
  Put(Image, Opt + 56, 0x2000, 4);
  Put(Image, Opt + 60, 0x400, 4);
  Put(Image, Opt + 108, 16, 4);
  const std::size_t Section = Opt + 240;
  Image.replace(Section, 5, ".text");
  Put(Image, Section + 8, 0x10, 4);
  Put(Image, Section + 12, 0x1000, 4);
  Put(Image, Section + 16, 0x200, 4);
  Put(Image, Section + 20, 0x400, 4);
  return Image;
}

class PEResources : public testing::Test {
protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("vv-pe-" + std::to_string(::getpid()) + "-" +
                                       testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(Dir);
    Viewer = Dir / "viewer.exe";
    Write(Viewer, TinyImage());
  }
  void TearDown() override { fs::remove_all(Dir); }

  static void Write(const fs::path& P, const std::string& Bytes) {
    std::ofstream(P, std::ios::binary | std::ios::trunc).write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
  }
  static std::string Read(const fs::path& P) {
    std::ifstream In(P, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  }

  fs::path Dir, Viewer;
};

TEST_F(PEResources, ABookWrittenIntoAnImageReadsBackByNamedTypeAndAnyCaseOfName) {
  const fs::path Book = Dir / "book.exe";
  WriteExecutableWithResources(Viewer, Book,
                               {{"RCDATA", "SYSTEM_MFS", "system bytes"},
                                {"RCDATA", "FILES_MFS", std::string(5000, 'f') + std::string("\0end", 4)},
                                {"OTHER", "SYSTEM_MFS", "another type"}});
  EXPECT_EQ(LoadResourceDataFromFile(Book, "RCDATA", "system_mfs"), "system bytes");
  EXPECT_EQ(LoadResourceDataFromFile(Book, "rcdata", "FILES_MFS"), std::string(5000, 'f') + std::string("\0end", 4));
  EXPECT_EQ(LoadResourceDataFromFile(Book, "OTHER", "SYSTEM_MFS"), "another type");
  EXPECT_EQ(LoadResourceDataFromFile(Book, "RCDATA", "NONE"), "");
  EXPECT_EQ(ListResources(Book).size(), 3u);

  // The loader's view: two sections, the second mapped past the first, the
  // image size covering it, and the program's own bytes unchanged.
  const std::string Image = Read(Book);
  const auto U32 = [&](std::size_t At) { return LoadLE32(reinterpret_cast<const unsigned char*>(Image.data()) + At); };
  EXPECT_EQ(Image[0x46], 2);
  const std::size_t Rsrc = 0x58 + 240 + 40;
  EXPECT_EQ(Image.substr(Rsrc, 6), std::string(".rsrc\0", 6));
  EXPECT_EQ(U32(Rsrc + 12), 0x2000u);
  EXPECT_EQ(U32(0x58 + 56), 0x2000u + ((U32(Rsrc + 8) + 0xFFF) & ~0xFFFu));
  EXPECT_EQ(U32(0x58 + 112 + 16) >= 0x2000u, true); // the resource directory lies in the new section
  EXPECT_EQ(Image.size() % 0x200, 0u);
  EXPECT_EQ(Image.substr(0x400, 0x200), TinyImage().substr(0x400, 0x200));
}

TEST_F(PEResources, AnImageThatAlreadyCarriesResourcesOrIsNoImageIsRefused) {
  const fs::path Book = Dir / "book.exe", Again = Dir / "again.exe";
  WriteExecutableWithResources(Viewer, Book, {{"RCDATA", "SYSTEM_MFS", "x"}});
  try {
    WriteExecutableWithResources(Book, Again, {{"RCDATA", "SYSTEM_MFS", "y"}});
    FAIL() << "no error";
  } catch (const EOSError& E) {
    EXPECT_STREQ(E.what(), "The viewer already carries resources");
  }
  EXPECT_FALSE(fs::exists(Again));
  std::string Image = TinyImage();
  Put(Image, 0x58 + 240 + 40, 0x7865742E, 4); // a second section header where the new one would go
  Write(Viewer, Image);
  EXPECT_THROW(WriteExecutableWithResources(Viewer, Again, {{"RCDATA", "A", "x"}}), EOSError);
}

TEST_F(PEResources, EveryDamagedByteOfTheDirectoryReadsAsNoResourcesOrTheRightOnes) {
  const fs::path Book = Dir / "book.exe";
  WriteExecutableWithResources(Viewer, Book, {{"RCDATA", "SYSTEM_MFS", "system bytes"}});
  const std::string Good = Read(Book);
  const auto U32 = [&](std::size_t At) { return LoadLE32(reinterpret_cast<const unsigned char*>(Good.data()) + At); };
  const std::size_t Directory = U32(0x58 + 240 + 40 + 20) + (U32(0x58 + 112 + 16) - U32(0x58 + 240 + 40 + 12));
  for (std::size_t At = Directory; At < Directory + U32(0x58 + 112 + 20); ++At) {
    for (const unsigned char Value : {0x00, 0x7F, 0xFF}) {
      std::string Damaged = Good;
      Damaged[At] = static_cast<char>(Value);
      Write(Book, Damaged);
      const std::string Found = LoadResourceDataFromFile(Book, "RCDATA", "SYSTEM_MFS");
      EXPECT_TRUE(Found.empty() || Found.size() <= Good.size()) << At;
    }
  }
}

} // namespace
