// The tests' main: process-wide set-up in a GoogleTest environment, then every test.
#include <windows.h>

#include <gtest/gtest.h>

#include "store/block_store.h"

namespace {

// The store directory of 100 slots exists for the life of the process, as it does in the
// program from start-up to exit.
class StoreDirectoryEnvironment : public testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(0, InitBlockStoreDirectory(100)); }
};

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new StoreDirectoryEnvironment);
    return RUN_ALL_TESTS();
}
