// String-table loading: missing texts and texts longer than a buffer holds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "model/resource_strings.h"
#include "model/window_utils.h"
#include "resource.h"

namespace {

TEST(LoadResString, MissingIdGives10001AndAnEmptyBuffer)
{
    char buffer[262];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(LoadResString(59999, buffer), 10001);
    EXPECT_EQ(buffer[0], '\0');
}

TEST(LoadResString, LongTextArrivesAsItsFirst260Characters)
{
    char buffer[262];
    std::memset(buffer, 'x', sizeof buffer);
    ASSERT_EQ(LoadResString(60000, buffer), 0);
    std::string expected = std::string(100, 'A') + std::string(100, 'B') + std::string(60, 'C');
    EXPECT_EQ(std::string(buffer), expected);
    EXPECT_EQ(buffer[261], 'x');  // nothing written past the terminating zero
}

TEST(LoadResString, ProgramTextLoads)
{
    char buffer[262];
    ASSERT_EQ(LoadResString(IDS_OPTIONS_FILE, buffer), 0);
    EXPECT_STREQ(buffer, "VEXLRK3.OPT");
}

}  // namespace
