#include "common/basCommon.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using basCommon::FncWriteErrLog;

class ErrLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_context.programFolder = m_dir.path();
        m_context.boxes = &m_boxes;
        m_context.clock = [] { return QDateTime(QDate(2005, 2, 3), QTime(9, 5, 7)); };
    }
    QTemporaryDir m_dir;
    RecordingMessageBox m_boxes;
    AppContext m_context;
};

TEST_F(ErrLogTest, WritesOneShiftJisRecordNamedByTheSecondOrShowsTheSystemsText)
{
    const QString path = m_dir.path() + QStringLiteral("/Err_20050203090507.LOG");
    ASSERT_TRUE(FncWriteErrLog(m_context, QStringLiteral("設定ファイルが存在しません。\r\n設定ファイルを確認してください。"),
                               QStringLiteral("INIファイル存在エラー")));
    EXPECT_EQ(testsupport::readBytes(path),
              "\x90\xdd\x92\xe8\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xaa\x91\xb6\x8d\xdd\x82\xb5\x82\xdc"
              "\x82\xb9\x82\xf1\x81\x42\r\n"
              "\x90\xdd\x92\xe8\x83\x74\x83\x40\x83\x43\x83\x8b\x82\xf0\x8a\x6d\x94\x46\x82\xb5\x82\xc4"
              "\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81\x42,"
              "INI\x83\x74\x83\x40\x83\x43\x83\x8b\x91\xb6\x8d\xdd\x83\x47\x83\x89\x81\x5b\r\n");
    // The same second again: one file, the later record only.
    ASSERT_TRUE(FncWriteErrLog(m_context, QString(), QStringLiteral("FncEncrypt")));
    EXPECT_EQ(testsupport::readBytes(path), ",FncEncrypt\r\n");
    EXPECT_EQ(testsupport::entriesOf(m_dir.path()).size(), 1);

    // An unwritable folder: a plain box with the system's text (and the box
    // count shows the writes above showed none).
    m_context.programFolder = m_dir.filePath(QStringLiteral("gone"));
    EXPECT_FALSE(FncWriteErrLog(m_context, QStringLiteral("m"), QStringLiteral("l")));
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes[0].kind, BoxKind::Plain);
    EXPECT_EQ(m_boxes.boxes[0].text, QStringLiteral("No such file or directory"));
}
