// The tests' main: process-wide set-up in a GoogleTest environment, then every test.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "store/block_store.h"
#include "text/font_cache.h"

// The import slot of OutputDebugStringA in this executable's import table.
extern "C" void* ImportedOutputDebugStringA __asm__("__imp__OutputDebugStringA@4");

namespace {

void WINAPI DiscardDebugString(LPCSTR) {}

// GoogleTest copies every failure to the debugger's stream with OutputDebugStringA, which raises
// an exception for a debugger to catch. Under the user-mode emulator that exception cannot be
// delivered and the first failure would end the whole run; the runner says when it emulates,
// and the copy is then dropped (the failure still reaches the test output).
void DropDebuggerCopiesUnderEmulation()
{
    if (!std::getenv("VEXLOR_EMULATED"))
        return;
    DWORD old = 0;
    if (VirtualProtect(&ImportedOutputDebugStringA, sizeof(void*), PAGE_READWRITE, &old)) {
        ImportedOutputDebugStringA = reinterpret_cast<void*>(&DiscardDebugString);
        VirtualProtect(&ImportedOutputDebugStringA, sizeof(void*), old, &old);
    }
}

// The store directory of 100 slots exists for the life of the process, as it does in the
// program from start-up to exit.
class StoreDirectoryEnvironment : public testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(0, InitBlockStoreDirectory(100)); }
};

// The font cache exists from start-up too: objects' text is laid out and edited through it.
class FontCacheEnvironment : public testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(0, InitFontCache()); }
};

}  // namespace

int main(int argc, char** argv)
{
    DropDebuggerCopiesUnderEmulation();
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new StoreDirectoryEnvironment);
    testing::AddGlobalTestEnvironment(new FontCacheEnvironment);
    return RUN_ALL_TESTS();
}
