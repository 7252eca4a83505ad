// The aligned blocks files are read into.
#include <gtest/gtest.h>

#include <cstdint>

#include "core/files/ByteBlock.h"

using namespace pellum;

// Blocks the kernel reads files into are 64-byte aligned, and page-aligned when large, however
// they were sized and resized; what they held stays.
TEST(ByteBlock, IsAlignedForTheKernelsCopyAndKeepsItsBytes) {
    ByteBlock block;
    for (const std::size_t size : {1u, 17u, 65535u, 65536u, 131072u, 70001u, 3u}) {
        block.resize(size);
        block.data()[0] = static_cast<std::uint8_t>(size);
        const auto at = reinterpret_cast<std::uintptr_t>(block.data());
        EXPECT_EQ(at % (size >= ByteBlock::kPageAlignedFrom ? 4096 : 64), 0u) << size;
    }
    block.resize(5);
    EXPECT_EQ(block.data()[0], 3);
}
