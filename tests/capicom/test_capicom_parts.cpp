// The component's inner parts at their edges, and every truncation of a
// message (run under AddressSanitizer this shows that nothing reads past).
#include "Base64.h"
#include "CapicomTestObject.h"
#include "Der.h"
#include "Message.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

bool decodes(const std::string& text, Bytes& data)
{
    return capicom::decodeBase64(std::span<const char>(text.data(), text.size()), data);
}

TEST(CapicomBase64, LineBreaksFallOnEvery64Characters)
{
    EXPECT_EQ(capicom::encodeBase64Lines(Bytes()), "");
    EXPECT_EQ(capicom::encodeBase64Lines(Bytes{'M', 'a'}), "TWE=\r\n");
    const std::string exact = capicom::encodeBase64Lines(Bytes(48, 0));
    EXPECT_EQ(exact, std::string(64, 'A') + "\r\n") << "48 bytes fill one line exactly";
    const std::string more = capicom::encodeBase64Lines(Bytes(49, 0));
    EXPECT_EQ(more, std::string(64, 'A') + "\r\nAA==\r\n");
}

TEST(CapicomBase64, DecodeSkipsLineBreaksAndRefusesEverythingElse)
{
    Bytes data;
    ASSERT_TRUE(decodes("TW\r\nE=\n", data));
    EXPECT_EQ(data, (Bytes{'M', 'a'}));
    ASSERT_TRUE(decodes("", data));
    EXPECT_TRUE(data.empty());
    data = {9};
    for (const char* bad : {"TWE", "TW E=", "T=E=", "=WE=", "TQ==TQ==", "TWE=\t", "TW=a", "TWE*"}) {
        EXPECT_FALSE(decodes(bad, data)) << bad;
        EXPECT_EQ(data, Bytes{9}) << "untouched on failure";
    }
}

TEST(CapicomDer, IntegersAreMinimalAndPositive)
{
    EXPECT_EQ(capicom::der::integerContents(0), Bytes{0x00});
    EXPECT_EQ(capicom::der::integerContents(0x38), Bytes{0x38});
    EXPECT_EQ(capicom::der::integerContents(0x80), (Bytes{0x00, 0x80}));
    EXPECT_EQ(capicom::der::integerContents(0x6601), (Bytes{0x66, 0x01}));
    EXPECT_EQ(capicom::der::integerContents(0x20000), (Bytes{0x02, 0x00, 0x00}));
    EXPECT_EQ(capicom::der::integerContents(0xFFFFFFFF), (Bytes{0x00, 0xFF, 0xFF, 0xFF, 0xFF}));
}

TEST(CapicomDer, LongLengthsAreWrittenAndRead)
{
    Bytes out;
    capicom::der::appendTlv(out, 0x04, Bytes(300, 7));
    ASSERT_EQ(out.size(), 304u);
    EXPECT_EQ((Bytes(out.begin(), out.begin() + 4)), (Bytes{0x04, 0x82, 0x01, 0x2C}));
    capicom::der::Reader reader(out);
    std::span<const std::uint8_t> contents;
    ASSERT_TRUE(reader.read(0x04, contents));
    EXPECT_EQ(contents.size(), 300u);
    EXPECT_TRUE(reader.atEnd());
}

TEST(CapicomDer, ReaderNeverRunsPastItsData)
{
    std::span<const std::uint8_t> contents;
    for (const Bytes& bad : {Bytes{}, Bytes{0x04}, Bytes{0x04, 0x02, 0x00}, Bytes{0x04, 0x80, 0x00, 0x00},
                             Bytes{0x04, 0x85, 1, 0, 0, 0, 0}, Bytes{0x04, 0x84, 0xFF, 0xFF, 0xFF, 0xFF},
                             Bytes{0x04, 0x82, 0x01}, Bytes{0x05, 0x00}}) {
        capicom::der::Reader reader(bad);
        EXPECT_FALSE(reader.read(0x04, contents));
    }
    std::uint32_t value = 0;
    for (const Bytes& bad : {Bytes{0x02, 0x00}, Bytes{0x02, 0x01, 0x80}, Bytes{0x02, 0x05, 0x01, 0, 0, 0, 0}}) {
        capicom::der::Reader reader(bad);
        EXPECT_FALSE(reader.readInteger(value));
    }
}

TEST(CapicomMessageLayout, EveryTruncationIsRefused)
{
    capicom::Message message;
    message.iv.assign(8, 1);
    message.salt.assign(16, 2);
    message.cipherText.assign(24, 3);
    const Bytes packed = capicom::packMessage(message);
    capicom::Message read;
    std::string reason;
    ASSERT_EQ(capicom::unpackMessage(packed, read, reason), capicom::UnpackStatus::Ok);
    EXPECT_EQ(read.cipherText, message.cipherText);
    for (std::size_t length = 0; length < packed.size(); ++length) {
        const std::vector<std::uint8_t> cut(packed.begin(), packed.begin() + static_cast<std::ptrdiff_t>(length));
        EXPECT_NE(capicom::unpackMessage(cut, read, reason), capicom::UnpackStatus::Ok) << length;
        EXPECT_FALSE(reason.empty());
    }
}

TEST(CapicomMessageLayout, EveryTruncatedTextFailsCleanly)
{
    CapicomTestObject source;
    std::string text;
    ASSERT_EQ(source.setSecret("Zubq"), CAPICOM_OK);
    ASSERT_EQ(source.setContent(kJapaneseCp932), CAPICOM_OK);
    ASSERT_EQ(source.encrypt(text), CAPICOM_OK);
    for (std::size_t length = 0; length + 2 < text.size(); ++length) {
        CapicomTestObject object;
        ASSERT_EQ(object.setSecret("Zubq"), CAPICOM_OK);
        EXPECT_NE(object.decrypt(text.substr(0, length)), CAPICOM_OK) << length;
    }
}

} // namespace
