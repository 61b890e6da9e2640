#include "settings/clsIniFile.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

const QString kWritePrefix = QStringLiteral("WriteValueString INIﾌｧｲﾙ書込みｴﾗｰ。 ");

class IniFileTest : public ::testing::Test {
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("TAMBERLOX.INI")); }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(IniFileTest, WritesShiftJisThroughTheProperties)
{
    clsIniFile ini;
    ini.setPathIniFile(path());
    ini.setSection(QStringLiteral("USER"));
    ini.setKey(QStringLiteral("HOUKOKU"));
    ASSERT_TRUE(ini.WriteValue(QStringLiteral("トルメア")));
    ASSERT_TRUE(ini.WriteIniValue(QStringLiteral("～表"), QStringLiteral("SYSTEM"),
                                  QStringLiteral("TEMP"), path()));
    EXPECT_EQ(readBytes(path()),
              "[USER]\r\nHOUKOKU=\x83\x67\x83\x8b\x83\x81\x83\x41\r\n"
              "[SYSTEM]\r\nTEMP=\x81\x60\x95\x5c\r\n");
    EXPECT_EQ(ini.GetIni(0), QStringLiteral("トルメア"));
    EXPECT_TRUE(ini.GetErrMessage().isEmpty());
}

TEST_F(IniFileTest, ReadModes)
{
    ASSERT_TRUE(writeBytes(path(), "[user]\r\nuserid=  0x10 \r\n"));
    clsIniFile ini;
    EXPECT_EQ(ini.GetValue(path(), QStringLiteral("USER"), QStringLiteral("USERID")),
              QStringLiteral("0x10"));
    EXPECT_EQ(ini.GetValue(path(), QStringLiteral("USER"), QStringLiteral("USERID"), 1),
              QStringLiteral("16"));
    EXPECT_EQ(ini.GetValue(path(), QStringLiteral("USER"), QStringLiteral("USERID"), 2), QString());
    EXPECT_EQ(ini.GetValue(path(), QStringLiteral("USER"), QStringLiteral("NONE"), 1),
              QStringLiteral("0"));
    const QString missing = m_dir.filePath(QStringLiteral("none.ini"));
    EXPECT_EQ(ini.GetValue(missing, QStringLiteral("USER"), QStringLiteral("USERID")), QString());
    EXPECT_EQ(ini.GetValue(missing, QStringLiteral("USER"), QStringLiteral("USERID"), 1),
              QStringLiteral("0"));
}

TEST_F(IniFileTest, ValueOf255BytesReadsBackAs254)
{
    clsIniFile ini;
    const QString value = QString(127, QChar(0x30C8)) + QLatin1Char('a'); // 255 bytes
    ASSERT_TRUE(ini.WriteIniValue(value, QStringLiteral("USER"), QStringLiteral("HOUKOKU"), path()));
    EXPECT_EQ(readBytes(path()).size(), 8 + 8 + 255 + 2);
    EXPECT_EQ(ini.GetValue(path(), QStringLiteral("USER"), QStringLiteral("HOUKOKU")),
              QString(127, QChar(0x30C8)));
}

TEST_F(IniFileTest, FailedWriteKeepsItsTextAfterALaterSuccess)
{
    clsIniFile ini;
    EXPECT_TRUE(ini.GetErrMessage().isEmpty());
    EXPECT_FALSE(ini.WriteIniValue(QStringLiteral("v"), QStringLiteral("S"), QStringLiteral("k"),
                                   m_dir.filePath(QStringLiteral("missing/TAMBERLOX.INI"))));
    const QString failure = ini.GetErrMessage();
    EXPECT_EQ(failure, kWritePrefix + QStringLiteral("No such file or directory"));
    EXPECT_TRUE(ini.WriteIniValue(QStringLiteral("v"), QStringLiteral("S"), QStringLiteral("k"),
                                  path()));
    EXPECT_EQ(ini.GetErrMessage(), failure);
}

TEST_F(IniFileTest, ReadOnlyFileAndFolderInTheWayAreRefused)
{
    ASSERT_TRUE(writeBytes(path(), "[S]\r\nk=old\r\n"));
    ASSERT_TRUE(QFile::setPermissions(path(), QFile::ReadOwner));
    clsIniFile ini;
    EXPECT_FALSE(ini.WriteIniValue(QStringLiteral("new"), QStringLiteral("S"), QStringLiteral("k"),
                                   path()));
    EXPECT_EQ(ini.GetErrMessage(), kWritePrefix + QStringLiteral("Permission denied"));
    EXPECT_EQ(readBytes(path()), "[S]\r\nk=old\r\n");

    const QString folder = m_dir.filePath(QStringLiteral("dir.ini"));
    ASSERT_TRUE(QDir().mkdir(folder));
    EXPECT_FALSE(ini.WriteIniValue(QStringLiteral("v"), QStringLiteral("S"), QStringLiteral("k"),
                                   folder));
    EXPECT_EQ(ini.GetErrMessage(), kWritePrefix + QStringLiteral("Is a directory"));
}

TEST(IniFileMessages, UnknownSystemErrorHasTheFallbackText)
{
    EXPECT_EQ(clsIniFile::GetSysErrMessage(99999),
              QStringLiteral("登録されていない、ｼｽﾃﾑｴﾗｰが発生しました。"));
}
