// The stand-in's files behave as Win32's: dispositions, sharing, the _l* calls and their
// failure values.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

class NativeFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path() /
               ("vx-native-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string Path(const char* name) const { return (dir_ / name).string(); }
    void Write(const char* name, const std::string& text) const
    {
        std::ofstream(Path(name), std::ios::binary) << text;
    }
    static HFILE AsHfile(HANDLE h) { return static_cast<HFILE>(reinterpret_cast<INT_PTR>(h)); }

    std::filesystem::path dir_;
};

TEST_F(NativeFiles, DispositionsAndTheirErrors)
{
    Write("there", "x");
    struct Case {
        const char* name;
        DWORD disposition;
        bool opens;
        DWORD error;
    } cases[] = {
        {"there", CREATE_NEW, false, ERROR_FILE_EXISTS},
        {"missing", OPEN_EXISTING, false, ERROR_FILE_NOT_FOUND},
        {"no-such-dir/file", OPEN_ALWAYS, false, ERROR_PATH_NOT_FOUND},
        {"there", OPEN_ALWAYS, true, ERROR_ALREADY_EXISTS},
        {"new", OPEN_ALWAYS, true, NO_ERROR},
        {"there", OPEN_EXISTING, true, NO_ERROR},
    };
    for (const Case& c : cases) {
        HANDLE h = CreateFileA(Path(c.name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, c.disposition,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.opens) << c.name;
        EXPECT_EQ(GetLastError(), c.error) << c.name;
        if (h != INVALID_HANDLE_VALUE) {
            EXPECT_TRUE(CloseHandle(h));
        }
    }
}

TEST_F(NativeFiles, SharingFollowsTheOpensOfTheFile)
{
    Write("f", "data");
    HANDLE writer = CreateFileA(Path("f").c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(writer, INVALID_HANDLE_VALUE);
    struct Case {
        DWORD access;
        DWORD share;
        bool opens;
    } cases[] = {
        {GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, true},  // a reader that lets the writer be
        {GENERIC_READ, FILE_SHARE_READ, false},                    // would deny the open writer
        {GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, false},  // writer lets others only read
    };
    for (const Case& c : cases) {
        HANDLE h = CreateFileA(Path("f").c_str(), c.access, c.share, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(h != INVALID_HANDLE_VALUE, c.opens);
        if (h == INVALID_HANDLE_VALUE) {
            EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        } else {
            CloseHandle(h);
        }
    }
    EXPECT_FALSE(DeleteFileA(Path("f").c_str()));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(writer);
    EXPECT_TRUE(DeleteFileA(Path("f").c_str()));
    EXPECT_FALSE(std::filesystem::exists(Path("f")));
}

TEST_F(NativeFiles, ClassicCallsReadWriteSeekAndFail)
{
    Write("f", "HELLOWORLD!");
    HFILE f = AsHfile(CreateFileA(Path("f").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    ASSERT_NE(f, HFILE_ERROR);
    char buffer[100] = {};
    EXPECT_EQ(_llseek(f, 5, FILE_BEGIN), 5);
    EXPECT_EQ(_lread(f, buffer, 100), 6u);
    EXPECT_EQ(std::string(buffer), "WORLD!");
    EXPECT_EQ(_lread(f, buffer, 100), 0u);
    EXPECT_EQ(_llseek(f, 0, FILE_END), 11);
    EXPECT_EQ(_llseek(f, -3, FILE_CURRENT), 8);
    EXPECT_EQ(_llseek(f, -100, FILE_CURRENT), HFILE_ERROR);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(_llseek(f, 0, FILE_CURRENT), 8);  // a refused seek leaves the position
    EXPECT_EQ(_lwrite(f, "x", 1), static_cast<UINT>(HFILE_ERROR));
    EXPECT_FALSE(SetEndOfFile(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(f))));
    EXPECT_EQ(_lclose(f), 0);
    EXPECT_EQ(_lclose(f), HFILE_ERROR);
    EXPECT_EQ(_lread(f, buffer, 1), static_cast<UINT>(HFILE_ERROR));
}

TEST_F(NativeFiles, EndOfFileCutsAndExtends)
{
    HANDLE h = CreateFileA(Path("f").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    HFILE f = AsHfile(h);
    EXPECT_EQ(_lwrite(f, "abcdef", 6), 6u);
    EXPECT_EQ(_llseek(f, 2, FILE_BEGIN), 2);
    EXPECT_TRUE(SetEndOfFile(h));
    EXPECT_EQ(std::filesystem::file_size(Path("f")), 2u);
    EXPECT_EQ(_llseek(f, 50, FILE_BEGIN), 50);
    EXPECT_TRUE(SetEndOfFile(h));
    EXPECT_EQ(std::filesystem::file_size(Path("f")), 50u);
    // Writing nothing ends the file at the position, as on Win32.
    EXPECT_EQ(_llseek(f, 10, FILE_BEGIN), 10);
    EXPECT_EQ(_lwrite(f, "", 0), 0u);
    EXPECT_EQ(std::filesystem::file_size(Path("f")), 10u);
    CloseHandle(h);
}

}  // namespace
