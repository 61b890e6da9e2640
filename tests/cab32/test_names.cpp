// Names typed on Linux are stored as a Windows user would have typed them;
// what code page 932 cannot hold stays UTF-8 (flag 0x80).
#include "CabTestKit.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <map>

TEST(Cab32Names, JisCodePointsAreStoredInWindowsSpellingAndYenStaysUtf8)
{
    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("source"));
    const struct {
        QString name;
        QByteArray stored;
        std::uint16_t attributes;
    } cases[] = {
        {QStringLiteral("資料〜最終.xls"), "\x8e\x91\x97\xbf\x81\x60\x8d\xc5\x8f\x49.xls", 0x20},
        {QStringLiteral("a−b‖c—d.txt"), "a\x81\x7c" "b\x81\x61" "c\x81\x5c" "d.txt", 0x20},
        {QStringLiteral("¢£¬.txt"), "\x81\x91\x81\x92\x81\xca.txt", 0x20},
        {QStringLiteral("¥100.txt"), "\xc2\xa5" "100.txt", 0xA0},
    };
    for (const auto& c : cases)
        cabtest::putFile(source + QLatin1Char('/') + c.name, c.name.toUtf8());
    const QString archive = dir.filePath(QStringLiteral("names.cab"));
    ASSERT_EQ(cabtest::cab(QStringLiteral("-a \"%1\" \"%2/\" *.*").arg(archive, source)), 0);

    std::map<QByteArray, std::uint16_t> stored;
    for (const cabtest::CabFile& file : cabtest::readLayout(testsupport::readBytes(archive)).files)
        stored[file.name] = file.attributes;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        ASSERT_EQ(stored.count(c.stored), 1u);
        EXPECT_EQ(stored[c.stored], c.attributes);
    }
}
