// The command-line grammar of cab32.h, parsed from CP932 bytes.
#include "CommandLine.h"
#include "Cp932Codec.h"

#include <gtest/gtest.h>

using namespace cab32;

namespace {

Command parsed(std::string_view line)
{
    Cp932Codec codec;
    Command cmd;
    EXPECT_TRUE(parseCommand(line, codec, cmd).ok()) << line;
    return cmd;
}

Status statusOf(std::string_view line)
{
    Cp932Codec codec;
    Command cmd;
    return parseCommand(line, codec, cmd).status;
}

} // namespace

TEST(Cab32CommandLine, ParsesTheFormsClsCab32Builds)
{
    Command cmd = parsed(R"(-a -r -i -o -mz "/w/TEMPU_FILE.cab" "/w/Temp/" *.*)");
    EXPECT_EQ(cmd.action, Action::Create);
    EXPECT_TRUE(cmd.recurse && cmd.silent && cmd.overwrite);
    EXPECT_EQ(cmd.method, Method::Mszip);
    EXPECT_EQ(cmd.archive, "/w/TEMPU_FILE.cab");
    EXPECT_EQ(cmd.folder, "/w/Temp/");
    EXPECT_EQ(cmd.specs, std::vector<std::string>{"*.*"});

    cmd = parsed(R"(-a -r -mz  "/w/b.cab" "/w/Temp/" "a b.txt")");  // two blanks
    EXPECT_FALSE(cmd.silent || cmd.overwrite);
    EXPECT_EQ(cmd.specs, std::vector<std::string>{"a b.txt"});

    cmd = parsed(R"(-x -o -i "/x/p.old.cab" "/x/p.old/")");
    EXPECT_EQ(cmd.action, Action::Extract);
    EXPECT_EQ(cmd.folder, "/x/p.old/");
    EXPECT_EQ(cmd.specs, std::vector<std::string>{"*.*"});
}

TEST(Cab32CommandLine, DecodesQuotedPathsFromCp932KeepingTrailBytes)
{
    // 表 is 0x95 0x5C in CP932; the 0x5C must stay part of the character.
    const Command cmd = parsed("-a \"/w/\x95\x5c.cab\" \"/w/\x83\x5c/\" *.*");
    EXPECT_EQ(cmd.archive, "/w/表.cab");
    EXPECT_EQ(cmd.folder, "/w/ソ/");
}

TEST(Cab32CommandLine, AcceptsMethodLevelsOnlyWithinTheirRanges)
{
    const struct {
        const char* method;
        Method expected;
        int level;
    } good[] = {{"-ml15", Method::Lzx, 15}, {"-ml21", Method::Lzx, 21}, {"-mq1", Method::Quantum, 1},
                {"-mq7", Method::Quantum, 7}, {"-MS", Method::Store, 0}, {"-mz", Method::Mszip, 0}};
    for (const auto& g : good) {
        const Command cmd = parsed(std::string("-a ") + g.method + R"( "a" "b/")");
        EXPECT_EQ(cmd.method, g.expected) << g.method;
        EXPECT_EQ(cmd.level, g.level) << g.method;
    }
    for (const char* bad : {"-ml14", "-ml22", "-ml", "-mq0", "-mq8", "-mz1", "-ms0", "-mx", "-m"})
        EXPECT_EQ(statusOf(std::string("-a ") + bad + R"( "a" "b/")"), Status::Command) << bad;
}

TEST(Cab32CommandLine, RefusesMalformedLines)
{
    for (const char* bad : {"", R"("a" "b/")", R"(-a -x "a" "b/")", R"(-a -mz -ms "a" "b/")", R"(-a -q "a" "b/")",
                            R"(-a -rr "a" "b/")", R"(-a "a")", R"(-a "a" "b/)", R"(-a -mz  "" "b/" "a.txt")",
                            "-a \"\x81\" \"b/\""})
        EXPECT_EQ(statusOf(bad), Status::Command) << bad;
}
