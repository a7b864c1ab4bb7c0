#include "qv/Paths.h"

#include <gtest/gtest.h>

namespace vis {
namespace {

constexpr auto W = PathStyle::Windows;
constexpr auto P = PathStyle::Posix;

TEST(DataFolderPath, WindowsExamples) {
    EXPECT_EQ(DataFolderPath("C:\\WINDOWS\\SUNSET.SCR", W), "C:\\WINDOWS\\velloran\\SUNSET");
    EXPECT_EQ(DataFolderPath("C:\\SAVERS\\MOON.SCR", W), "C:\\SAVERS\\velloran\\MOON");
    EXPECT_EQ(DataFolderPath("C:\\SAVERS\\moon.scr", W), "C:\\SAVERS\\velloran\\moon");
    // A program in a drive root gets two backslashes in a row.
    EXPECT_EQ(DataFolderPath("C:\\SUNSET.SCR", W), "C:\\\\velloran\\SUNSET");
}

TEST(DataFolderPath, ExactlyFourCharactersGo) {
    EXPECT_EQ(DataFolderPath("C:\\S\\Night Sky.scr", W), "C:\\S\\velloran\\Night Sky");
    EXPECT_EQ(DataFolderPath("C:\\S\\SAVER.SC", W), "C:\\S\\velloran\\SAVE");
    EXPECT_EQ(DataFolderPath("C:\\S\\SAVER.HTML", W), "C:\\S\\velloran\\SAVER.");
    EXPECT_EQ(DataFolderPath("C:\\S\\SAVER", W), "C:\\S\\velloran\\S");
    // A name shorter than four characters eats into the folder part.
    EXPECT_EQ(DataFolderPath("C:\\S\\AB", W), "C:\\S\\vellora");
}

TEST(DataFolderPath, Posix) {
    EXPECT_EQ(DataFolderPath("/home/u/savers/Sunset.scr", P), "/home/u/savers/velloran/Sunset");
    EXPECT_EQ(DataFolderPath("/Sunset.scr", P), "//velloran/Sunset");
}

TEST(ContainingFolder, RuleD) {
    EXPECT_EQ(ContainingFolder("C:\\WINDOWS\\SUNSET.SCR", W), "C:\\WINDOWS");
    EXPECT_EQ(ContainingFolder("C:\\SUNSET.SCR", W), "C:\\");
    EXPECT_EQ(ContainingFolder("C:SUNSET.SCR", W), "C:");
    EXPECT_EQ(ContainingFolder("\\SUNSET.SCR", W), "\\");
    EXPECT_EQ(ContainingFolder("\\\\server\\share", W), "\\\\server");
    EXPECT_EQ(ContainingFolder("C:\\A\\\\B", W), "C:\\A\\\\");
    EXPECT_EQ(ContainingFolder("NAME", W), "");
    EXPECT_EQ(ContainingFolder("/usr/bin/qv", P), "/usr/bin");
    EXPECT_EQ(ContainingFolder("/qv", P), "/");
}

TEST(PathParts, NameAndExtension) {
    EXPECT_EQ(FileNamePart("C:\\A\\B.SCR", W), "B.SCR");
    EXPECT_EQ(FileNamePart("C:B.SCR", W), "B.SCR");
    EXPECT_EQ(ExtensionPart("C:\\A.B\\NAME", W), "");
    EXPECT_EQ(ExtensionPart("C:\\A\\x.tar.exe", W), ".exe");
    EXPECT_EQ(ExtensionPart("/a.b/name", P), "");
    EXPECT_EQ(JoinPath("C:\\\\velloran\\X", "qor_inf", W), "C:\\\\velloran\\X\\qor_inf");
}

} // namespace
} // namespace vis
