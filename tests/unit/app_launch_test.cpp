#include <gtest/gtest.h>

#include "notify/app_launch.h"

namespace vigilor {
namespace {

TEST(QuotedCommandLine, APathWithBlanksIsQuotedAnythingElseLeftAsItIs) {
    EXPECT_EQ(QuotedCommandLine("C:\\Program Files\\Pager Kit\\page.exe"), "\"C:\\Program Files\\Pager Kit\\page.exe\"");
    EXPECT_EQ(QuotedCommandLine("C:\\odd\tname.cmd"), "\"C:\\odd\tname.cmd\"");
    EXPECT_EQ(QuotedCommandLine("\"C:\\Program Files\\a.exe\" /x"), "\"C:\\Program Files\\a.exe\" /x");
    EXPECT_EQ(QuotedCommandLine("C:\\tools\\page.exe"), "C:\\tools\\page.exe");
    EXPECT_EQ(QuotedCommandLine(""), "");
}

}  // namespace
}  // namespace vigilor
