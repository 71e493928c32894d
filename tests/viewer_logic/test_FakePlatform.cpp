// The fakes themselves behave as the logic's tests assume.
#include <gtest/gtest.h>

#include "tests/viewer_logic/FakePlatform.h"

namespace vvtest {

TEST(FakeMessageLoop, RunsPostedTasksInTimeOrderAndWaitsWithATimeout) {
  TFakeMessageLoop Loop;
  std::string Order;
  Loop.PostDelayed(20, [&] { Order += "b"; });
  Loop.Post([&] { Order += "a"; });
  bool Done = false;
  Loop.PostDelayed(50, [&] { Done = true; });
  Loop.WaitUntil([&] { return Done; }, 10);
  EXPECT_EQ(Order, "a");
  EXPECT_EQ(Loop.Now, 10);
  Loop.WaitUntil([&] { return Done; }, -1);
  EXPECT_EQ(Order, "ab");
  EXPECT_TRUE(Done);
}

} // namespace vvtest
