#include <gtest/gtest.h>

#include "tests/TestUtil.h"

#include "storage/u_MFS.h"

using namespace vv;
using vvtest::MessageOf;

TEST(MfsFileStream, SeekReadWriteAndSetSizeStayInBounds) {
  TMFS Volume;
  auto Stream = Volume.DefaultSession().CreateFileStream("ten.bin", VV_CREATE_NEW, 0);
  Stream->WriteBytes("0123456789");
  EXPECT_EQ(Stream->Seek(3, soEnd), 7);
  EXPECT_EQ(Stream->Seek(-3, soEnd), 10);
  EXPECT_EQ(Stream->Seek(20, soBeginning), 10);
  Stream->Seek(2, soBeginning);
  EXPECT_EQ(Stream->Seek(-5, soCurrent), 0);
  EXPECT_EQ(Stream->Seek(4, 9), 0);
  Stream->Seek(7, soBeginning);
  char Buffer[100];
  EXPECT_EQ(Stream->Read(Buffer, 100), 3);
  EXPECT_EQ(std::string(Buffer, 3), "789");
  EXPECT_EQ(Stream->Read(Buffer, 100), 0);
  Stream->Seek(8, soBeginning);
  EXPECT_EQ(Stream->Write("abcde", 5), 5);
  EXPECT_EQ(Stream->Size(), 13);
  EXPECT_EQ(Stream->File->Content, "01234567abcde");
  Stream->SetSize(4);
  EXPECT_EQ(Stream->Position, 4);
  Stream->SetSize(6);
  EXPECT_EQ(Stream->File->Content, std::string("0123\0\0", 6));
  EXPECT_EQ(Stream->Read(Buffer, -1), 0);
  EXPECT_EQ(Stream->Write(Buffer, -1), 0);
}

TEST(MfsFileStream, DispositionsCreateOpenAndTruncate) {
  TMFS Volume;
  auto& S = Volume.DefaultSession();
  S.CreateMFSFile("f.txt", 0, false)->Content = "keep";
  EXPECT_EQ(MessageOf([&] { (void)S.CreateFileStream("f.txt", VV_CREATE_NEW, 0); }), "File \"f.txt\" already exists");
  EXPECT_EQ(S.CreateFileStream("f.txt", VV_OPEN_ALWAYS, 0)->File->Content, "keep");
  EXPECT_EQ(S.CreateFileStream("f.txt", VV_OPEN_EXISTING, 0)->File->Content, "keep");
  EXPECT_EQ(S.CreateFileStream("f.txt", VV_CREATE_ALWAYS, 0)->File->Content, "");
  S.GetFile("f.txt")->Content = "again";
  EXPECT_EQ(S.CreateFileStream("f.txt", VV_TRUNCATE_EXISTING, 0)->File->Content, "");
  EXPECT_EQ(MessageOf([&] { (void)S.CreateFileStream("g.txt", VV_OPEN_EXISTING, 0); }), "File \"g.txt\" not found");
  EXPECT_EQ(MessageOf([&] { (void)S.CreateFileStream("f.txt", 6, 0); }),
            "Incorrect parameters in method \"TMFSSession.CreateFileStream\"");
  EXPECT_EQ(S.CreateFileStream("new.txt", VV_OPEN_ALWAYS, 0x01)->File->Attributes, 0x21u);
}

TEST(MfsFileStream, DeleteOnCloseWaitsForTheLastStream) {
  TMFS Volume;
  auto& S = Volume.DefaultSession();
  auto First = S.CreateFileStream("tmp.bin", VV_CREATE_NEW, VV_FILE_FLAG_DELETE_ON_CLOSE);
  auto Second = S.CreateFileStream("tmp.bin", VV_OPEN_EXISTING, 0);
  EXPECT_EQ(First->File->OpenStreams.size(), 2u);
  First.reset();
  EXPECT_TRUE(S.Exists("tmp.bin"));
  Second.reset();
  EXPECT_FALSE(S.Exists("tmp.bin"));
  EXPECT_EQ(Volume.Root().Children.Count(), 0);
}

TEST(MfsFileStream, DetachedStreamIsEmptyAndUnwritable) {
  TMFS Volume;
  auto& S = Volume.DefaultSession();
  auto Stream = S.CreateFileStream("gone.txt", VV_CREATE_NEW, 0);
  Stream->WriteBytes("data");
  delete S.GetFile("gone.txt");
  EXPECT_EQ(Stream->File, nullptr);
  char Buffer[4];
  EXPECT_EQ(Stream->Read(Buffer, 4), 0);
  EXPECT_EQ(Stream->Size(), 0);
  EXPECT_EQ(Stream->Seek(2, soBeginning), 0);
  EXPECT_THROW(Stream->WriteBytes("x"), EWriteError);
  EXPECT_FALSE(S.Exists("gone.txt"));
}
