#include "base/sha256.h"

#include <gtest/gtest.h>

#include "../support/history_file_builder.h"

namespace vardo {
namespace {

// The standard's test vectors, in memory and through a file read in pieces.
TEST(Sha256, KnownDigestsInMemoryAndFromAFile) {
    const std::pair<std::string, const char*> cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    testing::TempDir dir;
    for (const auto& [text, digest] : cases) {
        const std::vector<std::uint8_t> bytes(text.begin(), text.end());
        EXPECT_EQ(Sha256Hex(bytes), digest);
        ASSERT_TRUE(testing::WriteBytes(dir / "f", bytes));
        std::string hex;
        std::int64_t size = -1;
        ASSERT_EQ(Sha256OfFile(dir / "f", hex, size), FileHash::Ok);
        EXPECT_EQ(hex, digest);
        EXPECT_EQ(size, static_cast<std::int64_t>(text.size()));
    }
    std::string hex;
    std::int64_t size = 0;
    EXPECT_EQ(Sha256OfFile(dir / "missing", hex, size), FileHash::Missing);
    EXPECT_EQ(Sha256OfFile(dir.path(), hex, size), FileHash::Unreadable);
}

}  // namespace
}  // namespace vardo
