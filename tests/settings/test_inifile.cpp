#include "settings/clsIniFile.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::readBytes;

class IniFileTest : public ::testing::Test {
protected:
    QString path(const char* name = "TAMBERLOX.INI") const { return m_dir.filePath(QString::fromLatin1(name)); }
    QTemporaryDir m_dir;
    clsIniFile m_ini;
};

TEST_F(IniFileTest, WritesShiftJisThroughTheProperties)
{
    m_ini.setPathIniFile(path());
    m_ini.setSection(QStringLiteral("USER"));
    m_ini.setKey(QStringLiteral("HOUKOKU"));
    ASSERT_TRUE(m_ini.WriteValue(QStringLiteral("トルメア")));
    ASSERT_TRUE(m_ini.WriteIniValue(QStringLiteral("～表"), QStringLiteral("SYSTEM"), QStringLiteral("TEMP"), path()));
    EXPECT_EQ(readBytes(path()),
              "[USER]\r\nHOUKOKU=\x83\x67\x83\x8b\x83\x81\x83\x41\r\n[SYSTEM]\r\nTEMP=\x81\x60\x95\x5c\r\n");
    EXPECT_EQ(m_ini.GetIni(0), QStringLiteral("トルメア"));
    EXPECT_TRUE(m_ini.GetErrMessage().isEmpty());
}

TEST_F(IniFileTest, ReadModesGiveTextNumberOrNothing)
{
    ASSERT_TRUE(testsupport::writeBytes(path(), "[user]\r\nuserid=  0x10 \r\n"));
    const auto get = [&](const QString& file, const char* key, short mode) {
        return m_ini.GetValue(file, QStringLiteral("USER"), QString::fromLatin1(key), mode);
    };
    EXPECT_EQ(get(path(), "USERID", 0), QStringLiteral("0x10"));
    EXPECT_EQ(get(path(), "USERID", 1), QStringLiteral("16"));
    EXPECT_EQ(get(path(), "USERID", 2), QString());
    EXPECT_EQ(get(path(), "NONE", 1), QStringLiteral("0"));
    EXPECT_EQ(get(path("none.ini"), "USERID", 0), QString());
}

// Missing folder, read-only file (refused also for root, checked before the
// rename) and a folder in the way; only a failure sets the text, nothing
// clears it.
TEST_F(IniFileTest, FailedWritesGiveTheSystemsTextAndTouchNothing)
{
    const QString prefix = QStringLiteral("WriteValueString INIﾌｧｲﾙ書込みｴﾗｰ。 ");
    const auto write = [&](const char* value, const QString& file) {
        return m_ini.WriteIniValue(QString::fromLatin1(value), QStringLiteral("S"), QStringLiteral("k"), file);
    };
    ASSERT_TRUE(testsupport::writeBytes(path(), "[S]\r\nk=old\r\n") && QFile::setPermissions(path(), QFile::ReadOwner));
    ASSERT_TRUE(QDir().mkdir(path("dir.ini")));
    for (const auto& [file, error] : {std::pair{path("missing/TAMBERLOX.INI"), "No such file or directory"},
                                      {path(), "Permission denied"}, {path("dir.ini"), "Is a directory"}}) {
        EXPECT_FALSE(write("new", file));
        EXPECT_EQ(m_ini.GetErrMessage(), prefix + QString::fromLatin1(error));
    }
    EXPECT_EQ(readBytes(path()), "[S]\r\nk=old\r\n");
    EXPECT_EQ(testsupport::entriesOf(m_dir.path()).size(), 2) << "no temporary file left";

    EXPECT_TRUE(write("v", path("ok.ini")));
    EXPECT_EQ(m_ini.GetErrMessage(), prefix + QStringLiteral("Is a directory"));
    EXPECT_EQ(clsIniFile::GetSysErrMessage(99999), QStringLiteral("登録されていない、ｼｽﾃﾑｴﾗｰが発生しました。"));
}
