// Extraction with -x of cabinets we did not write: every hostile cabinet of
// testdata/, which must fail with its own code and write nothing outside the
// target folder.
#include "CabTestKit.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using testsupport::filesUnder;
using testsupport::entriesOf;

namespace {

int extract(const QString& archive, const QString& target, const char* switches = "-x -i")
{
    return cabtest::cab(QString("%1 \"%2\" \"%3/\" *.*").arg(switches, archive, target));
}

} // namespace

// Every cabinet of testdata/: the code of -x, what CabCheckArchive says in
// modes 1 (headers) and 2 (every checksum), and what -x left. Names are
// checked before anything is written; a damaged cabinet stops at the
// damaged file.
TEST(Cab32Extract, EachHostileCabinetFailsWithItsCodeAndWritesNothingOutside)
{
    const struct {
        const char* file;
        int code;
        int mode1;
        int mode2;
        bool targetMade;
        QStringList written;
    } rows[] = {
        {"dotdot-name.cab", CAB32_ERROR_UNSAFE_NAME, 1, 1, false, {}},
        {"nested-dotdot-name.cab", CAB32_ERROR_UNSAFE_NAME, 1, 1, false, {}},
        {"absolute-name.cab", CAB32_ERROR_UNSAFE_NAME, 1, 1, false, {}},
        {"slash-absolute-name.cab", CAB32_ERROR_UNSAFE_NAME, 1, 1, false, {}},
        {"drive-letter-name.cab", CAB32_ERROR_UNSAFE_NAME, 1, 1, false, {}},
        {"trail-byte-dotdot-name.cab", CAB32_OK, 1, 1, true, {"表../ok.txt"}},
        {"truncated.cab", CAB32_ERROR_DAMAGED, 1, 0, true, {}},
        {"truncated-header.cab", CAB32_ERROR_DAMAGED, 0, 0, false, {}},
        {"bad-checksum.cab", CAB32_ERROR_DAMAGED, 1, 0, true, {}},
        {"not-a-cabinet.cab", CAB32_ERROR_NOT_ARCHIVE, 0, 0, false, {}},
        {"missing.cab", CAB32_ERROR_NOT_FOUND, 0, 0, false, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        QTemporaryDir dir;
        const QString target = dir.filePath("target"), archive = QStringLiteral(TAMBERLOX_TESTDATA "/") + row.file;
        EXPECT_EQ(extract(archive, target, "-x -o -i"), row.code);
        EXPECT_EQ(CabCheckArchive(QFile::encodeName(archive).constData(), 1), row.mode1);
        EXPECT_EQ(CabCheckArchive(QFile::encodeName(archive).constData(), 2), row.mode2);
        EXPECT_EQ(filesUnder(target).keys(), row.written);
        EXPECT_EQ(entriesOf(dir.path()), row.targetMade ? QStringList{"target"} : QStringList());
        EXPECT_FALSE(QFileInfo::exists("/tmp/evil.txt"));
    }
    EXPECT_EQ(CabCheckArchive(TAMBERLOX_TESTDATA, 1), 0);
    EXPECT_EQ(CabCheckArchive(nullptr, 1), 0);
}
