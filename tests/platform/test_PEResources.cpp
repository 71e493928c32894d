// Windows books written and read on Linux: the resource section added to a
// PE image beside the viewer's own resources, found by the system's rules
// (named type, any case), and damage that must read as "no resources" or be
// refused by the packer.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
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

// TinyImage with the viewer's own resources as a resource compiler lays them
// out: a named type with a numbered name, a numbered type in two languages,
// a numbered type with a named name.
std::string ImageWithResources() {
  std::string Image = TinyImage();
  Put(Image, 0x46, 2, 2);
  Put(Image, 0x58 + 56, 0x3000, 4);
  Put(Image, 0x58 + 112 + 16, 0x2000, 4);
  Put(Image, 0x58 + 112 + 20, 0x150, 4);
  const std::size_t Section = 0x58 + 240 + 40;
  Image.replace(Section, 5, ".rsrc");
  Put(Image, Section + 8, 0x150, 4);
  Put(Image, Section + 12, 0x2000, 4);
  Put(Image, Section + 16, 0x200, 4);
  Put(Image, Section + 20, 0x600, 4);
  std::string R(0x200, '\0');
  const auto Table = [&](std::size_t At, int Named, std::vector<std::pair<std::uint32_t, std::uint32_t>> Entries) {
    Put(R, At + 12, Named, 2);
    Put(R, At + 14, Entries.size() - Named, 2);
    for (std::size_t i = 0; i < Entries.size(); ++i) Put(R, At + 16 + 8 * i, Entries[i].first, 4), Put(R, At + 20 + 8 * i, Entries[i].second, 4);
  };
  const std::uint32_t Dir = 0x80000000u;
  Table(0, 1, {{Dir | 256, Dir | 40}, {16, Dir | 64}, {24, Dir | 88}});
  Table(40, 0, {{1, Dir | 112}});
  Table(64, 0, {{1, Dir | 136}});
  Table(88, 1, {{Dir | 272, Dir | 168}});
  Table(112, 0, {{0x409, 192}});
  Table(136, 0, {{0x407, 208}, {0x409, 224}});
  Table(168, 0, {{0x409, 240}});
  const auto Data = [&](std::size_t At, std::uint32_t Offset, const std::string& Bytes) {
    Put(R, At, 0x2000 + Offset, 4), Put(R, At + 4, Bytes.size(), 4), Put(R, At + 8, 1252, 4);
    R.replace(Offset, Bytes.size(), Bytes);
  };
  Data(192, 0x118, "MSFT typelib");
  Data(208, 0x128, "version de");
  Data(224, 0x138, "version en");
  Data(240, 0x148, "<a/>");
  R.replace(256, 16, std::string("\7\0T\0Y\0P\0E\0L\0I\0B\0", 16));
  R.replace(272, 8, std::string("\3\0A\0P\0P\0", 8));
  return Image.substr(0, 0x600) + R;
}

// Type, name, language, code page and bytes of every resource, in directory order.
std::vector<std::string> Resources(const fs::path& P) {
  const std::string Image = [&] {
    std::ifstream In(P, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  }();
  const auto Table = ReadPEResourceTable([&](std::uint64_t At, void* Buffer, std::size_t Count) {
    if (At > Image.size() || Image.size() - At < Count) return false;
    std::copy_n(Image.data() + At, Count, static_cast<char*>(Buffer));
    return true;
  });
  if (!Table) return {"damaged"};
  std::vector<std::string> Result;
  const auto Id = [](const TPEResourceId& I) { return I.Text.empty() ? std::to_string(I.Number) : std::string(I.Text.begin(), I.Text.end()); };
  for (const TPEResource& E : *Table)
    Result.push_back(Id(E.Type) + "/" + Id(E.Name) + "/" + std::to_string(E.Language) + "/" + std::to_string(E.CodePage) +
                     "/" + Image.substr(E.Offset, E.Size));
  return Result;
}

TEST_F(PEResources, TheViewersOwnResourcesStayBesideTheBookWhichPackingAgainReplaces) {
  Write(Viewer, ImageWithResources());
  ASSERT_EQ(Resources(Viewer).size(), 4u);
  const fs::path Book = Dir / "book.exe", Again = Dir / "again.exe";
  WriteExecutableWithResources(Viewer, Book, {{"RCDATA", "system_mfs", "system"}, {"RCDATA", "FILES_MFS", "files"}});
  // Named before numbered, names in order, numbers and languages ascending.
  const std::vector<std::string> Own = {"TYPELIB/1/1033/1252/MSFT typelib", "16/1/1031/1252/version de",
                                        "16/1/1033/1252/version en", "24/APP/1033/1252/<a/>"};
  std::vector<std::string> Expected = {"RCDATA/FILES_MFS/0/0/files", "RCDATA/SYSTEM_MFS/0/0/system"};
  Expected.insert(Expected.end(), Own.begin(), Own.end());
  EXPECT_EQ(Resources(Book), Expected);
  EXPECT_EQ(LoadResourceDataFromFile(Book, "TYPELIB", "#1"), "MSFT typelib");
  EXPECT_EQ(LoadResourceDataFromFile(Book, "RCDATA", "SYSTEM_MFS"), "system");

  // Again over a packed book: the book's resources are replaced, and its
  // resource section is rewritten in place rather than stacked.
  WriteExecutableWithResources(Book, Again, {{"RCDATA", "SYSTEM_MFS", "SYSTEM"}, {"RCDATA", "FILES_MFS", "FILES"}});
  Expected[0] = "RCDATA/FILES_MFS/0/0/FILES", Expected[1] = "RCDATA/SYSTEM_MFS/0/0/SYSTEM";
  EXPECT_EQ(Resources(Again), Expected);
  EXPECT_EQ(Read(Again).size(), Read(Book).size());
  EXPECT_EQ(Read(Again)[0x46], 2);
}

TEST_F(PEResources, ADamagedViewerDirectoryOrNoImageIsRefusedAndNeverMisread) {
  const fs::path Book = Dir / "book.exe";
  const std::string Good = ImageWithResources();
  // A name table pointing back at the root: types become names, names languages.
  std::string Loop = Good;
  Put(Loop, 0x600 + 40 + 20, 0x80000000u, 4);
  Write(Viewer, Loop);
  try {
    WriteExecutableWithResources(Viewer, Book, {{"RCDATA", "SYSTEM_MFS", "x"}});
    FAIL() << "no error";
  } catch (const EOSError& E) {
    EXPECT_STREQ(E.what(), "The viewer's resources are damaged");
  }
  EXPECT_FALSE(fs::exists(Book));
  // Every damaged byte of the directory: refused, or packed with every resource readable.
  for (std::size_t At = 0x600; At < 0x600 + 0x118; ++At) {
    for (const unsigned char Value : {0x00, 0x80, 0xFF}) {
      std::string Damaged = Good;
      Damaged[At] = static_cast<char>(Value);
      Write(Viewer, Damaged);
      try {
        WriteExecutableWithResources(Viewer, Book, {{"RCDATA", "SYSTEM_MFS", "x"}});
      } catch (const EOSError&) {
        continue;
      }
      const std::vector<std::string> Packed = Resources(Book);
      EXPECT_TRUE(std::find(Packed.begin(), Packed.end(), "RCDATA/SYSTEM_MFS/0/0/x") != Packed.end()) << At;
      EXPECT_EQ(Packed.size(), Resources(Viewer).size() + 1) << At;
    }
  }
  std::string Image = TinyImage();
  Put(Image, 0x58 + 240 + 40, 0x7865742E, 4); // a second section header where the new one would go
  Write(Viewer, Image);
  EXPECT_THROW(WriteExecutableWithResources(Viewer, Book, {{"RCDATA", "A", "x"}}), EOSError);
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
