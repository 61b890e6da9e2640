// Names as they go into CFFILE entries and come back out of them.
#include "Cp932Codec.h"
#include "FileScanner.h"
#include "StoredName.h"

#include <gtest/gtest.h>

using namespace cab32;

namespace {

StoredName encode(const std::vector<std::string>& parts, Status expected = Status::Ok)
{
    Cp932Codec codec;
    StoredName name;
    EXPECT_EQ(encodeStoredName(parts, codec, name).status, expected);
    return name;
}

std::vector<std::string> decode(std::string_view raw, bool utf8, Status expected = Status::Ok)
{
    Cp932Codec codec;
    std::vector<std::string> parts;
    EXPECT_EQ(decodeStoredName(raw, utf8, codec, parts).status, expected) << raw;
    return parts;
}

} // namespace

TEST(Cab32StoredNames, UseCp932BytesWhenTheCodePageHoldsTheName)
{
    const StoredName name = encode({"帳票", "表ソ能.txt"});
    EXPECT_FALSE(name.utf8);
    EXPECT_EQ(name.bytes, "\x92\xa0\x95\x5b\x5c\x95\x5c\x83\x5c\x94\x5c.txt");
    EXPECT_EQ(encode({"a", "b", "c.txt"}).bytes, "a\\b\\c.txt");
}

TEST(Cab32StoredNames, FallBackToUtf8WhenCp932WouldChangeTheName)
{
    // U+00A5 would become 0x5C, U+2212 would come back as U+FF0D, and the
    // last two have no CP932 form at all.
    for (const std::string text : {"¥1000.txt", "a−b.txt", "😀.txt", "한국.txt"}) {
        const StoredName name = encode({text});
        EXPECT_TRUE(name.utf8) << text;
        EXPECT_EQ(name.bytes, text);
    }
}

TEST(Cab32StoredNames, RefuseWhatCannotBeStored)
{
    encode({"a\\b.txt"}, Status::Name);
    encode({"bad\xff.txt"}, Status::Name);
    encode({std::string(255, 'x')});
    encode({std::string(256, 'x')}, Status::Name);
    encode({std::string(127, 'x'), std::string(127, 'y')});  // 255 bytes with the separator
    encode({std::string(127, 'x'), std::string(128, 'y')}, Status::Name);
}

TEST(Cab32StoredNames, DecodeCp932BeforeSplittingAtBackslash)
{
    EXPECT_EQ(decode("\x95\x5c\x83\x5c\x94\x5c.txt", false), std::vector<std::string>{"表ソ能.txt"});
    EXPECT_EQ(decode("sub\\\x95\x5c\\a.txt", false), (std::vector<std::string>{"sub", "表", "a.txt"}));
    // Split raw, this would hold a ".." step; decoded it is the folder "表..".
    EXPECT_EQ(decode("\x95\x5c..\\x.txt", false), (std::vector<std::string>{"表..", "x.txt"}));
    EXPECT_EQ(decode("😀\\a.txt", true), (std::vector<std::string>{"😀", "a.txt"}));
    EXPECT_EQ(decode("a/./b", false), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(decode("bad\xff\xfe", true), std::vector<std::string>{"bad??"});
}

TEST(Cab32StoredNames, RefuseNamesThatLeaveTheTarget)
{
    for (const char* raw : {"..\\x", "a\\..\\..\\x", "..", "\\x", "/x", "C:x", "c:\\x", "", ".\\", "a/../b"})
        decode(raw, false, Status::UnsafeName);
    decode("..\\x", true, Status::UnsafeName);
}

TEST(Cab32Patterns, MatchLikeWindows)
{
    EXPECT_TRUE(matchesPattern("*.*", "noextension"));
    EXPECT_TRUE(matchesPattern("*", ".hidden"));
    EXPECT_TRUE(matchesPattern("*.TXT", "a.txt"));
    EXPECT_TRUE(matchesPattern("a?c*", "abcdef"));
    EXPECT_TRUE(matchesPattern("*a*b", "xaxxab"));
    EXPECT_FALSE(matchesPattern("*.txt", "a.txt.bak"));
    EXPECT_FALSE(matchesPattern("a?c", "ac"));
    EXPECT_FALSE(matchesPattern("*.csv", "表.txt"));
}
