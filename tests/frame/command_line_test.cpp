// The command line and the routing of command ids.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "frame/frame_main.h"
#include "frame/frame_startup.h"

namespace {

struct ParseCase {
    const char* line;
    const char* file;
    const char* options;
    const char* print;
    BOOL embedded;
};

TEST(CommandLine, SplitsFileSwitchesAndValues)
{
    const ParseCase cases[] = {
        {"/pC:\\a b.vxr", "", "", "C:\\a b.vxr", FALSE},
        {"/P C:\\a b.vxr", "", "", "C:\\a b.vxr", FALSE},
        {"x.vxr /embedding", "x.vxr", "", "", TRUE},
        {"x.vxr /E", "x.vxr", "", "", FALSE},
        {"a b", "a b", "", "", FALSE},
        {"a /x c", "a", "", "", FALSE},
        {"x.vxr /Od:\\o.opt", "x.vxr", "d:\\o.opt", "", FALSE},
        {"   lead.vxr   ", "lead.vxr", "", "", FALSE},
        {"-Embedding", "", "", "", TRUE},
    };
    for (const ParseCase& c : cases) {
        char file[kCommandText], options[kCommandText], print[kCommandText];
        BOOL embedded = 2;
        ParseCommandLine(c.line, file, options, print, &embedded);
        EXPECT_EQ(std::string(c.file), file) << c.line;
        EXPECT_EQ(std::string(c.options), options) << c.line;
        EXPECT_EQ(std::string(c.print), print) << c.line;
        EXPECT_EQ(c.embedded, embedded) << c.line;
    }
}

TEST(CommandLine, OverlongTextIsCutToTheBuffer)
{
    std::string line(1000, 'x');
    char file[kCommandText], options[kCommandText], print[kCommandText];
    BOOL embedded;
    ParseCommandLine(line.c_str(), file, options, print, &embedded);
    EXPECT_EQ(std::string(261, 'x'), file);
}

struct RouteCase {
    int id;
    CommandOwner owner;
    int message;
    int value;
};

TEST(Dispatch, RoutesIdsByRange)
{
    const RouteCase cases[] = {
        {210, OwnerEdit, 0, 210},        {605, OwnerText, 0, 605},         {704, OwnerDraw, 0, 704},
        {2000, OwnerNone, 0, 0},         {1100, OwnerStyle, 9, 0},         {1200, OwnerStyle, 7, 0},
        {1300, OwnerStyle, 8, 0},        {1400, OwnerStyle, 50, 1},        {1800, OwnerStyle, 36, 0},
        {1600, OwnerNone, 0, 0},         {1900, OwnerNone, 0, 0},          {2400, OwnerNone, 0, 0},
        {3000, OwnerNone, 0, 0},         {2401, OwnerStyle, 61, 1},        {1601, OwnerStyle, 83, 0},
        {3149, OwnerStyle, 21, 48},      {3349, OwnerBackground, 0, 48},   {3448, OwnerStyle, 17, 47},
        {100, OwnerNone, 0, 0},          {1000, OwnerNone, 0, 0},          {3201, OwnerTextColor, 0, 0},
    };
    for (const RouteCase& c : cases) {
        CommandRoute route = RouteCommand(c.id);
        EXPECT_EQ(c.owner, route.owner) << c.id;
        if (c.owner == OwnerStyle) {
            EXPECT_EQ(c.message, route.message) << c.id;
        }
        if (c.owner != OwnerNone) {
            EXPECT_EQ(c.value, route.value) << c.id;
        }
    }
}

}  // namespace
