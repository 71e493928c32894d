// Resources of the test executable itself (test_resources.rc), read by name
// under the string type "RCDATA" only.
#include <gtest/gtest.h>

#include "platform/u_Resources.h"

using namespace vv;

TEST(WindowsResources, ReadsTheNamedTypeNeverTheNumericOneOfTheSameName) {
  EXPECT_EQ(LoadResourceData("SYSTEM_MFS"), "named system");
  EXPECT_EQ(LoadResourceData("FILES_MFS"), "named files");
  EXPECT_EQ(LoadResourceData("files_mfs"), "named files"); // names match in any case
}

TEST(WindowsResources, AMissingResourceIsEmpty) {
  EXPECT_EQ(LoadResourceData("ONLY_NUMERIC"), "");
  EXPECT_EQ(LoadResourceData("NO_SUCH_NAME"), "");
}
