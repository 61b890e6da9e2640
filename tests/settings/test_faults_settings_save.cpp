// The settings save on a failing machine: a full disk, a folder that turns
// read-only between two writes, a process killed in the middle of a write.
// Each INI write replaces the file whole, so the file is always either the
// old one or the new one, and no temporary file ever has the final name.
#include "test_faults_machine.h"

#include "platform/SystemError.h"
#include "settings/SettingsModel.h"
#include "settings/clsIniFile.h"

#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <csignal>
#include <gtest/gtest.h>
#include <ostream>

using testsupport::readBytes;

namespace {

const QString kWritePrefix = QStringLiteral("WriteValueString INIﾌｧｲﾙ書込みｴﾗｰ。 ");
const QString kIniName = QStringLiteral("TAMBERLOX.INI");
const QString kTempPrefix = QStringLiteral(".TAMBERLOX.INI.");

class SettingsSaveFaultTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_root.isValid());
        m_folder = m_root.filePath(QStringLiteral("program"));
        ASSERT_TRUE(QDir().mkpath(m_folder));
    }

    QString ini() const { return m_folder + QLatin1Char('/') + kIniName; }

    bool write(
        const QString& section, const QString& key, const QString& value, QString* error = nullptr)
    {
        clsIniFile file;
        const bool written = file.WriteIniValue(value, section, key, ini());
        if (error != nullptr)
            *error = file.GetErrMessage();
        return written;
    }

    QString read(const QString& section, const QString& key) const
    {
        return clsIniFile().GetValue(ini(), section, key);
    }

    // A memo section of memoKeys lines of 200 bytes (so that one write spans
    // several pages), then the eight values in the order the settings window
    // writes them.
    void writeSettings(const QString& houkoku, int memoKeys)
    {
        using namespace settings;
        if (memoKeys > 0) {
            QByteArray memo = "[MEMO]\r\n";
            for (int i = 0; i < memoKeys; ++i)
                memo += "LINE" + QByteArray::number(i) + '=' + QByteArray(200, 'm') + "\r\n";
            ASSERT_TRUE(testsupport::writeBytes(ini(), memo));
        }
        const std::array<QString, kFieldCount> values { houkoku, QStringLiteral("A123"),
            QStringLiteral("c2VjcmV0"), QStringLiteral("reply@example.jp"),
            QStringLiteral("/srv/出力"), QStringLiteral("/srv/log"), QStringLiteral("/srv/表示"),
            QStringLiteral("/tmp") };
        for (int i = 0; i < kFieldCount; ++i) {
            const FieldInfo& info = fieldInfo(kFields[static_cast<size_t>(i)]);
            ASSERT_TRUE(write(info.section, info.key, values[static_cast<size_t>(i)]));
        }
    }

    // Entries of the settings folder other than the settings file and filler.
    QStringList strays() const
    {
        QStringList names = testsupport::entriesOf(m_folder);
        names.removeAll(kIniName);
        names.removeAll(QStringLiteral("filler"));
        names.removeAll(QStringLiteral("lost+found"));
        return names;
    }

    QTemporaryDir m_root;
    QString m_folder;
};

// Where the room runs out: a real full tmpfs, or the injected writer (the
// process's file-size limit) that works without mount rights.
enum class Disk { Tmpfs, SizeLimit };

struct FullDiskCase {
    const char* name;
    Disk disk;
    qint64 room; // bytes the new file may still take
};

void PrintTo(const FullDiskCase& fault, std::ostream* out)
{
    *out << fault.name;
}

class SettingsFullDiskTest : public SettingsSaveFaultTest,
                             public ::testing::WithParamInterface<FullDiskCase> { };

} // namespace

TEST_P(SettingsFullDiskTest, FailedWriteKeepsTheOldFileWhole)
{
    const FullDiskCase& fault = GetParam();
    std::unique_ptr<faults::Tmpfs> tmpfs;
    if (fault.disk == Disk::Tmpfs) {
        tmpfs = std::make_unique<faults::Tmpfs>(m_folder, "1m");
        if (!tmpfs->mounted())
            GTEST_SKIP() << "no tmpfs (" << tmpfs->reason().toStdString()
                         << "); the SizeLimit cases inject the same failure";
    }
    // About 6 KiB: more than one page, so one page of room cuts it short.
    writeSettings(QStringLiteral("old"), 30);
    const QByteArray before = readBytes(ini());
    ASSERT_GT(before.size(), 4096);

    QString error;
    {
        std::unique_ptr<faults::FileSizeLimit> limit;
        QString filler;
        if (fault.disk == Disk::Tmpfs) {
            filler = faults::fillUp(m_folder, fault.room);
            ASSERT_FALSE(filler.isEmpty());
        } else {
            limit = std::make_unique<faults::FileSizeLimit>(static_cast<rlim_t>(fault.room));
        }
        EXPECT_FALSE(write(QStringLiteral("USER"), QStringLiteral("HOUKOKU"),
            QStringLiteral("新しい報告"), &error));
        if (!filler.isEmpty())
            QFile::remove(filler);
    }
    const int expected = fault.disk == Disk::Tmpfs ? ENOSPC : EFBIG;
    EXPECT_EQ(error, kWritePrefix + platform::systemErrorText(expected));
    EXPECT_EQ(readBytes(ini()), before);
    EXPECT_EQ(strays(), QStringList());
    EXPECT_EQ(read(QStringLiteral("USER"), QStringLiteral("HOUKOKU")), QStringLiteral("old"));

    // Room again: the same write goes through, and only its key changes.
    ASSERT_TRUE(
        write(QStringLiteral("USER"), QStringLiteral("HOUKOKU"), QStringLiteral("新しい報告")));
    EXPECT_EQ(
        read(QStringLiteral("USER"), QStringLiteral("HOUKOKU")), QStringLiteral("新しい報告"));
    EXPECT_EQ(
        read(QStringLiteral("SYSTEM"), QStringLiteral("TEMPLOG")), QStringLiteral("/srv/表示"));
    EXPECT_EQ(
        read(QStringLiteral("MEMO"), QStringLiteral("LINE29")), QString(200, QLatin1Char('m')));
}

INSTANTIATE_TEST_SUITE_P(Room, SettingsFullDiskTest,
    ::testing::Values(FullDiskCase { "TmpfsNoRoom", Disk::Tmpfs, 0 },
        FullDiskCase { "TmpfsOnePage", Disk::Tmpfs, 4096 },
        FullDiskCase { "SizeLimitNoRoom", Disk::SizeLimit, 0 },
        FullDiskCase { "SizeLimitOneByte", Disk::SizeLimit, 1 },
        FullDiskCase { "SizeLimitOnePage", Disk::SizeLimit, 4096 }),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsSaveFaultTest, RoomForExactlyTheNewFileIsEnough)
{
    writeSettings(QStringLiteral("old"), 0);
    const QByteArray before = readBytes(ini());
    // The size the new file will have, from a write to a copy.
    const QString copy = m_root.filePath(QStringLiteral("copy.ini"));
    ASSERT_TRUE(QFile::copy(ini(), copy));
    ASSERT_TRUE(clsIniFile().WriteIniValue(
        QStringLiteral("新"), QStringLiteral("USER"), QStringLiteral("HOUKOKU"), copy));
    const auto newSize = static_cast<rlim_t>(readBytes(copy).size());

    {
        const faults::FileSizeLimit oneShort(newSize - 1);
        EXPECT_FALSE(
            write(QStringLiteral("USER"), QStringLiteral("HOUKOKU"), QStringLiteral("新")));
    }
    EXPECT_EQ(readBytes(ini()), before);
    EXPECT_EQ(strays(), QStringList());
    {
        const faults::FileSizeLimit exact(newSize);
        EXPECT_TRUE(write(QStringLiteral("USER"), QStringLiteral("HOUKOKU"), QStringLiteral("新")));
    }
    EXPECT_EQ(readBytes(ini()), readBytes(copy));
}

TEST_F(SettingsSaveFaultTest, FolderTurnsReadOnlyBetweenTwoWritesOfASave)
{
    writeSettings(QStringLiteral("old"), 0);
    // The save writes key by key; the first write lands.
    ASSERT_TRUE(write(QStringLiteral("USER"), QStringLiteral("HOUKOKU"), QStringLiteral("new")));
    const QByteArray afterFirst = readBytes(ini());

    faults::ReadOnlyFolder readOnly(m_folder);
    if (!readOnly.active())
        GTEST_SKIP() << "cannot make a folder read-only for root here: "
                     << readOnly.reason().toStdString();
    QString error;
    EXPECT_FALSE(
        write(QStringLiteral("USER"), QStringLiteral("USERID"), QStringLiteral("B999"), &error));
    EXPECT_EQ(error, kWritePrefix + readOnly.refusal());
    readOnly.restore();

    // Each write is whole: the first key is new, the refused one is old.
    EXPECT_EQ(readBytes(ini()), afterFirst);
    EXPECT_EQ(strays(), QStringList());
    EXPECT_EQ(read(QStringLiteral("USER"), QStringLiteral("HOUKOKU")), QStringLiteral("new"));
    EXPECT_EQ(read(QStringLiteral("USER"), QStringLiteral("USERID")), QStringLiteral("A123"));
    // Writable again: the save can be repeated.
    ASSERT_TRUE(write(QStringLiteral("USER"), QStringLiteral("USERID"), QStringLiteral("B999")));
    EXPECT_EQ(read(QStringLiteral("USER"), QStringLiteral("USERID")), QStringLiteral("B999"));
}

TEST_F(SettingsSaveFaultTest, KilledInTheMiddleOfAWriteLeavesTheOldOrTheNewFile)
{
    // About 250 KiB, so that a write takes long enough to be caught inside.
    writeSettings(QStringLiteral("A"), 1200);
    const QByteArray stateA = readBytes(ini());
    ASSERT_TRUE(write(QStringLiteral("USER"), QStringLiteral("HOUKOKU"), QStringLiteral("BBBB")));
    const QByteArray stateB = readBytes(ini());

    int caughtInside = 0;
    for (int round = 1; round <= 6; ++round) {
        faults::CreationWatch watch(m_folder);
        ASSERT_TRUE(watch.valid());
        faults::Child writer([this] {
            for (int i = 0;; ++i)
                write(QStringLiteral("USER"), QStringLiteral("HOUKOKU"),
                    i % 2 ? QStringLiteral("BBBB") : QStringLiteral("A"));
        });
        ASSERT_TRUE(writer.started());
        // Stopped as soon as the round-th write has made its temporary file.
        QString temp;
        for (int seen = 0; seen < round; ++seen)
            temp = watch.next(kTempPrefix);
        ASSERT_FALSE(temp.isEmpty()) << "the writer never started a write";
        writer.stop();
        const bool inside = QFile::exists(m_folder + QLatin1Char('/') + temp);
        ASSERT_EQ(writer.kill(), SIGKILL);
        caughtInside += inside ? 1 : 0;

        const QByteArray now = readBytes(ini());
        EXPECT_TRUE(now == stateA || now == stateB)
            << "round " << round << ": a mixed file of " << now.size() << " bytes";
        const QString houkoku = read(QStringLiteral("USER"), QStringLiteral("HOUKOKU"));
        EXPECT_TRUE(houkoku == QStringLiteral("A") || houkoku == QStringLiteral("BBBB"));
        // What the killed write left has a temporary name, never the final one.
        for (const QString& name : strays())
            EXPECT_TRUE(name.startsWith(kTempPrefix)) << name.toStdString();
    }
    EXPECT_GT(caughtInside, 0) << "no kill landed inside a write";
    // A later save is not disturbed by what the killed writes left.
    ASSERT_TRUE(write(QStringLiteral("USER"), QStringLiteral("HOUKOKU"), QStringLiteral("after")));
    EXPECT_EQ(read(QStringLiteral("USER"), QStringLiteral("HOUKOKU")), QStringLiteral("after"));
}
