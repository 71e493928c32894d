// A cabinet load on its own thread hands over the same volume, or the same
// failure, that the load gives in place; an abandoned load is waited for.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "platform/u_CabWriter.h"
#include "storage/u_BackgroundLoad.h"
#include "storage/u_MFSCabLoad.h"
#include "tests/storage/CabTestUtil.h"

using namespace vv;

namespace {

std::string Book() {
  TMFS Volume;
  cabtest::PutFile(Volume, "\\index.htm", "<html>home</html>");
  cabtest::PutFile(Volume, "\\chapter\\page.htm", std::string(200000, 'p'));
  return WriteCabinet({{"info.mfs", Volume.SaveToString(), NowAsDosDateTime(), 0x20}}, TCabCompression::MSZIP);
}

std::string InPlaceFailure(const std::string& CabBytes) {
  try {
    TMFS Volume;
    LoadVolumeFromCabinet(Volume, CabBytes);
  } catch (const std::exception& E) {
    return E.what();
  }
  return {};
}

} // namespace

TEST(BackgroundCabinetLoad, HandsOverTheLoadedVolume) {
  const std::string Cab = Book();
  TBackgroundCabinetLoad Load([&](TMFS& V) { LoadVolumeFromCabinet(V, Cab); });
  const std::unique_ptr<TMFS> Volume = Load.Join();
  ASSERT_TRUE(Volume);
  EXPECT_EQ(Volume->DefaultSession().GetFile("\\chapter\\page.htm")->Content, std::string(200000, 'p'));
  EXPECT_EQ(Volume->DefaultSession().GetFile("index.htm")->Content, "<html>home</html>");
}

TEST(BackgroundCabinetLoad, RaisesTheLoadsOwnFailureWhenJoined) {
  std::string Damaged = Book();
  Damaged[Damaged.size() - 3] ^= 0x20;
  const std::string Expected = InPlaceFailure(Damaged);
  ASSERT_FALSE(Expected.empty());
  TBackgroundCabinetLoad Load([&](TMFS& V) { LoadVolumeFromCabinet(V, Damaged); });
  try {
    (void)Load.Join();
    FAIL() << "no failure";
  } catch (const std::exception& E) {
    EXPECT_EQ(std::string(E.what()), Expected);
  }
}

TEST(BackgroundCabinetLoad, AFailingSourceIsRaisedToo) {
  TBackgroundCabinetLoad Load([](TMFS&) { throw EMFSError("no bytes"); });
  EXPECT_THROW((void)Load.Join(), EMFSError);
}

TEST(BackgroundCabinetLoad, AnAbandonedLoadIsWaitedFor) {
  std::atomic<bool> Finished = false;
  {
    const std::string Cab = Book();
    TBackgroundCabinetLoad Load([&](TMFS& V) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
      Finished = true;
      LoadVolumeFromCabinet(V, Cab);
    });
  }
  EXPECT_TRUE(Finished);
}
