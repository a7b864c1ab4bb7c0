// Reading a whole file within a bound: the outcomes for every kind of entry a data folder may hold.
#include "qv/Files.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

namespace vis {
namespace {

TEST(ReadFileBounded, WholeFileWithinTheBoundAndNothingElse) {
    test::TempDir dir;
    std::string big(300000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i)
        big[i] = static_cast<char>(i * 7 + i / 251);
    test::WriteBytes(dir.File("big"), big);
    test::WriteBytes(dir.File("empty"), "");
    ASSERT_EQ(::mkfifo(dir.File("pipe").c_str(), 0644), 0);

    EXPECT_EQ(ReadFileBounded(dir.File("big"), big.size()), big) << "exactly at the bound";
    EXPECT_EQ(ReadFileBounded(dir.File("big"), UINTMAX_MAX), big);
    EXPECT_EQ(ReadFileBounded(dir.File("big"), big.size() - 1), std::nullopt) << "one byte over";
    EXPECT_EQ(ReadFileBounded(dir.File("empty"), 0), std::string());
    EXPECT_EQ(ReadFileBounded(dir.Path(), 1000), std::nullopt) << "a folder";
    EXPECT_EQ(ReadFileBounded(dir.File("missing"), 1000), std::nullopt);
    EXPECT_EQ(ReadFileBounded(dir.File("pipe"), 1000), std::nullopt) << "a named pipe, without waiting for a writer";
}

} // namespace
} // namespace vis
