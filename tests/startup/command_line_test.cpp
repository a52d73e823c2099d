#include "startup/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Tokens = std::vector<std::string>;

// The record after deciding the role for one raw argument text.
AppSettings Decide(const std::string& text) {
    AppSettings s;
    s.ioBlock.ioCom = s.daBlock.daCom = s.adBlock.adCom = 77;  // must be reset to 1
    s.role = 99;
    DecideRole(TokenizeArguments(text), s);
    return s;
}

}  // namespace

TEST(CommandLine, Tokenising) {
    EXPECT_EQ(TokenizeArguments(""), Tokens{});
    EXPECT_EQ(TokenizeArguments("   "), Tokens{});
    EXPECT_EQ(TokenizeArguments("/3 /QVX-IO /0"), (Tokens{"3", "QVX-IO", "0"}));
    EXPECT_EQ(TokenizeArguments("//3///QVX-AD//2"), (Tokens{"3", "QVX-AD", "2"}));
    EXPECT_EQ(TokenizeArguments(" / 3 / QVX-AD / 2 "), (Tokens{"3", "QVX-AD", "2"}));
    EXPECT_EQ(TokenizeArguments("/3 / /0"), (Tokens{"3", "", "0"}));  // blank piece: empty token
    EXPECT_EQ(TokenizeArguments("3/x"), (Tokens{"3", "x"}));          // text before the first "/"
    EXPECT_EQ(TokenizeArguments("/a\t/b\r\n"), (Tokens{"a", "b"}));
    EXPECT_EQ(TokenizeArguments(std::string(10000, '/')), Tokens{});

    EXPECT_EQ(JoinArguments({}), "");
    EXPECT_EQ(JoinArguments({"/3", "/QVX-IO", "/0"}), "/3 /QVX-IO /0");
    EXPECT_EQ(JoinArguments({"/3/QVX-AD/2"}), "/3/QVX-AD/2");
}

TEST(CommandLine, NumericTextAndConversion) {
    for (const char* yes : {"0", "3", "+3", "-3", "1.9", ".", "+", "-", "-.", "12.", "007"}) {
        EXPECT_TRUE(IsNumericText(yes)) << yes;
    }
    for (const char* no : {"", " 3", "3 ", "3a", "1..2", "+-3", "3-", "3+", "x", "1,5", "0x10"}) {
        EXPECT_FALSE(IsNumericText(no)) << no;
    }
    EXPECT_EQ(DecimalToInt("+3"), 3);
    EXPECT_EQ(DecimalToInt("1.9"), 1);
    EXPECT_EQ(DecimalToInt("-"), 0);
    EXPECT_EQ(DecimalToInt("+"), 0);
    EXPECT_EQ(DecimalToInt("."), 0);
    EXPECT_EQ(DecimalToInt("-12"), -12);
    EXPECT_EQ(DecimalToInt(" 42x"), 42);
    EXPECT_EQ(DecimalToInt("2147483647"), 2147483647);
    EXPECT_EQ(DecimalToInt("-2147483648"), -2147483647 - 1);
    // Beyond 32 bits: clamped, never wrapped or undefined.
    EXPECT_EQ(DecimalToInt("2147483648"), 2147483647);
    EXPECT_EQ(DecimalToInt("-2147483649"), -2147483647 - 1);
    EXPECT_EQ(DecimalToInt(std::string(5000, '9')), 2147483647);
    EXPECT_EQ(DecimalToInt("-" + std::string(5000, '9')), -2147483647 - 1);
}

TEST(CommandLine, PanelCommandLines) {
    AppSettings s = Decide("");
    EXPECT_EQ(s.role, kRoleLauncher);
    EXPECT_EQ(s.ioBlock.ioCom, 1);
    EXPECT_EQ(s.daBlock.daCom, 1);
    EXPECT_EQ(s.adBlock.adCom, 1);

    s = Decide("/3 /QVX-IO /0");
    EXPECT_EQ(s.role, kRoleIo);
    EXPECT_EQ(s.ioBlock.ioCom, 3);
    EXPECT_EQ(s.channelIndex, 0);
    EXPECT_EQ(s.daBlock.daCom, 1);
    EXPECT_EQ(s.adBlock.adCom, 1);

    for (const char* text : {"/3/QVX-AD/2", " / 3 / QVX-AD / 2 ", "//3///QVX-AD//2"}) {
        s = Decide(text);
        EXPECT_EQ(s.role, kRoleAd) << text;
        EXPECT_EQ(s.adBlock.adCom, 3) << text;
        EXPECT_EQ(s.channelIndex, 2) << text;
        EXPECT_EQ(s.ioBlock.ioCom, 1) << text;
    }

    s = Decide("/+3 /QVX-DA /1");
    EXPECT_EQ(s.role, kRoleDa);
    EXPECT_EQ(s.daBlock.daCom, 3);
    EXPECT_EQ(s.channelIndex, 1);
    EXPECT_EQ(Decide("/1.9 /QVX-DA /1").daBlock.daCom, 1);
    s = Decide("/- /QVX-DA /1");
    EXPECT_EQ(s.role, kRoleDa);
    EXPECT_EQ(s.daBlock.daCom, 0);

    // Numbers beyond 32 bits decide a panel with a clamped value.
    s = Decide("/99999999999999999999 /QVX-IO /-99999999999999999999");
    EXPECT_EQ(s.role, kRoleIo);
    EXPECT_EQ(s.ioBlock.ioCom, 2147483647);
    EXPECT_EQ(s.channelIndex, -2147483647 - 1);
}

TEST(CommandLine, EverythingElseIsTheLauncher) {
    const std::string megabyte(1 << 20, 'x');
    std::string manySlashesAndDigits;
    for (int i = 0; i < 100000; ++i) manySlashesAndDigits += "/1";
    const std::vector<std::string> launcherLines = {"/3 /qvx-io /0",
                                                    "/3 /QVX-IO",
                                                    "/3 /QVX-IO /0 /1",
                                                    "/3a /QVX-IO /0",
                                                    "/3 /QVX-IO /x",
                                                    "/1..2 /QVX-DA /1",
                                                    "/3 / /0",
                                                    "/3 /QVX-IO /",
                                                    "/ /QVX-IO /0",
                                                    "/3 /QVX-I/O /0",
                                                    "/3 /QVX-IO  x /0",
                                                    std::string(10000, '/'),
                                                    megabyte,
                                                    "/" + megabyte + "/QVX-IO/0",
                                                    manySlashesAndDigits,
                                                    "/\xff\xfe /QVX-IO /0",
                                                    "/3 /QVX-\xc3\x28 /0",
                                                    "/3 /\xe3\x81 /0",
                                                    std::string("/3 /QVX-IO\0 /0", 14)};
    for (const std::string& text : launcherLines) {
        AppSettings s = Decide(text);
        EXPECT_EQ(s.role, kRoleLauncher) << text.substr(0, 40);
        EXPECT_EQ(s.ioBlock.ioCom, 1);
        EXPECT_EQ(s.daBlock.daCom, 1);
        EXPECT_EQ(s.adBlock.adCom, 1);
    }
    // A well-formed line with an unknown mode word still carries its channel index.
    AppSettings s;
    s.channelIndex = 0;
    DecideRole(TokenizeArguments("/3 /QVX-XX /2"), s);
    EXPECT_EQ(s.role, kRoleLauncher);
    EXPECT_EQ(s.channelIndex, 2);
}
