#include "drive/aspi_abi.h"

#include <gtest/gtest.h>

// The block layout is checked at compile time by the header; this keeps a
// C++ translation unit including it in every build.
TEST(AspiAbi, ExecuteBlockIs97Bytes)
{
    EXPECT_EQ(sizeof(SRB_ExecSCSICmd), 97u);
}
