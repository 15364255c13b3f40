// The options file in the Windows folder when no /O path is given.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "documents/options.h"
#include "documents/options_file.h"

namespace {

TEST(OptionsWindowsFolder, WithoutAPathTheOptionsLiveInTheWindowsFolder)
{
    char windows[MAX_PATH];
    UINT n = GetWindowsDirectoryA(windows, MAX_PATH);
    ASSERT_GT(n, 0u);
    std::string expected = windows;
    if (expected.back() != '\\') expected += '\\';
    expected += "VEXLRK3.OPT";
    const bool existed = GetFileAttributesA(expected.c_str()) != INVALID_FILE_ATTRIBUTES;

    for (const char* none : {static_cast<const char*>(nullptr), ""}) {
        ASSERT_EQ(LoadOptions(none, nullptr, 120), 0);
        char path[MAX_PATH] = "";
        ASSERT_NE(g_optionsPathAtom, 0);
        GlobalGetAtomNameA(g_optionsPathAtom, path, sizeof path);
        EXPECT_STRCASEEQ(path, expected.c_str());
        FreeOptionsAtExit();
        EXPECT_NE(GetFileAttributesA(expected.c_str()), INVALID_FILE_ATTRIBUTES) << "the exit writes it";
    }
    if (!existed) DeleteFileA(expected.c_str());
}

}  // namespace
