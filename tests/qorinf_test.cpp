#include "qv/Errors.h"
#include "qv/QorInf.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vis {
namespace {

struct Recorded : QorInfSink {
    std::vector<std::string> calls;
    void LastPictureNo(std::int32_t v) override { calls.push_back("last " + std::to_string(v)); }
    void EffectMask(std::string_view line) override { calls.push_back("mask " + std::string(line)); }
    void ShowSeconds(std::int32_t v) override { calls.push_back("show " + std::to_string(v)); }
    void HideSeconds(std::int32_t v) override { calls.push_back("hide " + std::to_string(v)); }
};

TEST(TextLineReader, LineEnds) {
    TextLineReader r("a\r\nb\rc\n d\r\n\r\ne");
    EXPECT_EQ(r.ReadLine(), "a");
    EXPECT_EQ(r.ReadLine(), "b");
    EXPECT_EQ(r.ReadLine(), "c\n d"); // a lone LF stays in the line
    EXPECT_EQ(r.ReadLine(), "");
    EXPECT_EQ(r.ReadLine(), "e");
    EXPECT_EQ(r.ReadLine(), ""); // past the end
    EXPECT_EQ(r.ReadLine(), "");
}

TEST(TextLineReader, Byte26EndsText) {
    TextLineReader r(std::string("7\r\n\x1a"
                                 "99\r\n",
                                 8));
    EXPECT_EQ(r.ReadLine(), "7");
    EXPECT_EQ(r.ReadLine(), "");
}

TEST(StrToInt, RuntimeSyntax) {
    EXPECT_EQ(TryStrToInt("12"), 12);
    EXPECT_EQ(TryStrToInt("   12"), 12);
    EXPECT_EQ(TryStrToInt("+7"), 7);
    EXPECT_EQ(TryStrToInt("-7"), -7);
    EXPECT_EQ(TryStrToInt("$1F"), 31);
    EXPECT_EQ(TryStrToInt("-$10"), -16);
    EXPECT_EQ(TryStrToInt("$FFFFFFFF"), -1);
    EXPECT_EQ(TryStrToInt("2147483647"), 2147483647);
    EXPECT_EQ(TryStrToInt("-2147483648"), INT32_MIN);
    for (const char* bad :
         {"", " ", "+", "$", "12 ", "1.5", "0x10", "2147483648", "-2147483649", "$100000000", "\t5", "5\n", "１"})
        EXPECT_FALSE(TryStrToInt(bad).has_value()) << bad;
}

TEST(StrToInt, ConversionErrorText) {
    try {
        StrToInt("abc");
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'abc' は整数ではありません");
    }
}

TEST(ErrorBoxTextTest, ValuesAreEscapedAndShortenedSoTheTextsOwnWordsShow) {
    EXPECT_EQ(ErrorBoxText("'x' は整数ではありません"), "'x' は整数ではありません");
    // A NUL byte (and any control byte) in a value no longer ends the text.
    EXPECT_EQ(FormatMessage("'%s' は整数ではありません", std::string("12\0 3\x1b\x7f\t", 8)),
              "'12\\x00 3\\x1B\\x7F\\x09' は整数ではありません");
    // A 1 MB value is shortened in its middle: its start, "…", its end, and the message's words after it.
    const std::string line = std::string(1 << 20, '7') + "end";
    const std::string text = FormatMessage("'%s' は整数ではありません", line);
    EXPECT_EQ(text, "'" + std::string(160, '7') + "…" + std::string(77, '7') + "end' は整数ではありません");
    EXPECT_EQ(ErrorBoxText(text), text);
    // Escapes count toward the length, and the cut never splits a character.
    EXPECT_EQ(ShownValue(std::string(300, '\0'), 240).size(), 160u + 3u + 80u);
    std::string many, head, tail;
    for (int i = 0; i < 300; ++i)
        many += "あ";
    const std::string kana = ShownValue(many, 240);
    for (int i = 0; i < 53; ++i)
        head += "あ";
    for (int i = 0; i < 27; ++i)
        tail += "あ";
    EXPECT_EQ(kana, head + "…" + tail);
    // The box's own limit still applies to long texts without values.
    // "あ" is three bytes; a cut inside it moves back to its first byte.
    EXPECT_EQ(ErrorBoxText("ab" + std::string("あ"), 3), "ab…");
    EXPECT_EQ(ErrorBoxText("ab" + std::string("あ"), 5), "abあ");
}

TEST(EffectMask, Rule) {
    auto apply = [](std::string_view line) {
        std::array<bool, kEffectCount> on;
        on.fill(true);
        ApplyEffectMask(line, on);
        return EffectMaskLine(on);
    };
    EXPECT_EQ(apply("0000000000000000"), "1111111111111111");
    EXPECT_EQ(apply(""), "1111111111111111");
    EXPECT_EQ(apply("1"), "1111111111111111");
    EXPECT_EQ(apply("10"), "1011111111111111");
    EXPECT_EQ(apply("1x0?"), "1101111111111111");
    EXPECT_EQ(apply("0000000000000000"
                    "1"),
              "0000000000000000"); // a "1" past position 16 still counts
    EXPECT_EQ(apply("11111111111111110000"), "1111111111111111");
}

TEST(ReadQorInf, ValuesInOrder) {
    test::TempDir dir;
    test::WriteBytes(dir.File("qor_inf"), "7\r\n1010\r\n5\r\n3\r\n");
    Recorded r;
    ReadQorInf(dir.File("qor_inf"), r);
    EXPECT_EQ(r.calls, (std::vector<std::string>{"last 7", "mask 1010", "show 5", "hide 3"}));
}

TEST(ReadQorInf, FailureKeepsEarlierValues) {
    test::TempDir dir;
    test::WriteBytes(dir.File("qor_inf"), "7\r\n1\r\nlong\r\n3\r\n");
    Recorded r;
    EXPECT_THROW(ReadQorInf(dir.File("qor_inf"), r), EConvertError);
    EXPECT_EQ(r.calls, (std::vector<std::string>{"last 7", "mask 1"}));
}

TEST(ReadQorInf, LineFeedsOnlyFailLineOne) {
    test::TempDir dir;
    test::WriteBytes(dir.File("qor_inf"), "7\n1\n5\n3\n");
    Recorded r;
    try {
        ReadQorInf(dir.File("qor_inf"), r);
        FAIL();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'7\\x0A1\\x0A5\\x0A3\\x0A' は整数ではありません");
    }
    EXPECT_TRUE(r.calls.empty());
}

TEST(ReadQorInf, ShortFileFailsOnEmptyLine) {
    test::TempDir dir;
    test::WriteBytes(dir.File("qor_inf"), "7\r\n");
    Recorded r;
    EXPECT_THROW(ReadQorInf(dir.File("qor_inf"), r), EConvertError);
    EXPECT_EQ(r.calls, (std::vector<std::string>{"last 7", "mask "}));
}

TEST(ReadQorInf, MissingFileIsInOutError) {
    test::TempDir dir;
    Recorded r;
    EXPECT_THROW(ReadQorInf(dir.File("qor_inf"), r), EInOutError);
}

TEST(WriteQorInf, ExactBytes) {
    test::TempDir dir;
    WriteQorInf(dir.File("qor_inf"), 12, "1011111111111111", 10, 1);
    EXPECT_EQ(test::ReadBytes(dir.File("qor_inf")), "12\r\n1011111111111111\r\n10\r\n1\r\n");
    // Rewriting truncates: a shorter file leaves nothing of the longer one.
    WriteQorInf(dir.File("qor_inf"), 3, "0000000000000000", 1, 1);
    EXPECT_EQ(test::ReadBytes(dir.File("qor_inf")), "3\r\n0000000000000000\r\n1\r\n1\r\n");
}

TEST(WriteQorInf, FailedWriteLeavesOldFile) {
    test::TempDir dir;
    const std::string old = "9\r\n1111111111111111\r\n5\r\n3\r\n";
    test::WriteBytes(dir.File("qor_inf"), old);
    // The temporary file cannot be created where a folder of its name stands: the write fails, even for root.
    ASSERT_EQ(::mkdir(dir.File("qor_inf.new~").c_str(), 0700), 0);
    EXPECT_THROW(WriteQorInf(dir.File("qor_inf"), 1, "1", 1, 1), EInOutError);
    EXPECT_EQ(test::ReadBytes(dir.File("qor_inf")), old);
    // A folder that does not exist fails the same way.
    EXPECT_THROW(WriteQorInf(dir.File("missing/qor_inf"), 1, "1", 1, 1), EInOutError);
}

} // namespace
} // namespace vis
