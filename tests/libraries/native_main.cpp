// The native library tests' main: the store directory exists for the whole run.
#include <gtest/gtest.h>

#include "store/block_store.h"

namespace {

class StoreDirectoryEnvironment : public testing::Environment {
public:
    void SetUp() override { ASSERT_EQ(0, InitBlockStoreDirectory(100)); }
    void TearDown() override { FreeBlockStoreDirectory(); }
};

}  // namespace

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    testing::AddGlobalTestEnvironment(new StoreDirectoryEnvironment);
    return RUN_ALL_TESTS();
}
