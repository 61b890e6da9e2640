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
// modes 1 (headers) and 2 (every checksum), what CabList says in mode 2 and
// lists, and what -x left. Names and layout are checked before anything is
// written; a damaged cabinet stops at the damaged file.
TEST(Cab32Extract, EachHostileCabinetFailsWithItsCodeAndWritesNothingOutside)
{
    // "表.." ends in "." and so cannot be a folder name on Windows: -x
    // refuses it there, CabList still lists it.
    const bool windows = testsupport::onWindows();
    struct Row {
        const char* file;
        int code;
        int mode1;
        int mode2;
        int listed;
        bool targetMade;
        QStringList written;
    };
    const Row rows[] = {
        {"dotdot-name.cab", CAB32_ERROR_UNSAFE_NAME, 1, 1, CAB32_ERROR_UNSAFE_NAME, false, {}},
        {"nested-dotdot-name.cab", CAB32_ERROR_UNSAFE_NAME, 1, 1, CAB32_ERROR_UNSAFE_NAME, false, {}},
        {"absolute-name.cab", CAB32_ERROR_UNSAFE_NAME, 1, 1, CAB32_ERROR_UNSAFE_NAME, false, {}},
        {"slash-absolute-name.cab", CAB32_ERROR_UNSAFE_NAME, 1, 1, CAB32_ERROR_UNSAFE_NAME, false, {}},
        {"drive-letter-name.cab", CAB32_ERROR_UNSAFE_NAME, 1, 1, CAB32_ERROR_UNSAFE_NAME, false, {}},
        windows ? Row{"trail-byte-dotdot-name.cab", CAB32_ERROR_UNSAFE_NAME, 1, 1, CAB32_OK, false, {}}
                : Row{"trail-byte-dotdot-name.cab", CAB32_OK, 1, 1, CAB32_OK, true, {"表../ok.txt"}},
        {"truncated.cab", CAB32_ERROR_DAMAGED, 1, 0, CAB32_ERROR_DAMAGED, true, {}},
        {"truncated-header.cab", CAB32_ERROR_DAMAGED, 0, 0, CAB32_ERROR_DAMAGED, false, {}},
        {"bad-checksum.cab", CAB32_ERROR_DAMAGED, 1, 0, CAB32_ERROR_DAMAGED, true, {}},
        {"not-a-cabinet.cab", CAB32_ERROR_NOT_ARCHIVE, 0, 0, CAB32_ERROR_NOT_ARCHIVE, false, {}},
        {"missing.cab", CAB32_ERROR_NOT_FOUND, 0, 0, CAB32_ERROR_NOT_FOUND, false, {}},
        // Refused from the headers alone, before a byte is decompressed.
        {"overlap.cab", CAB32_ERROR_DAMAGED, 0, 0, CAB32_ERROR_DAMAGED, false, {}},
        {"over-declared.cab", CAB32_ERROR_DAMAGED, 0, 0, CAB32_ERROR_DAMAGED, false, {}},
        {"empty-name.cab", CAB32_ERROR_DAMAGED, 0, 0, CAB32_ERROR_DAMAGED, false, {}},
        {"unknown-method.cab", CAB32_ERROR_DAMAGED, 0, 0, CAB32_ERROR_DAMAGED, false, {}},
        {"file-and-folder.cab", CAB32_ERROR_EXISTS, 1, 1, CAB32_ERROR_EXISTS, false, {}},
        {"folder-and-file.cab", CAB32_ERROR_EXISTS, 1, 1, CAB32_ERROR_EXISTS, false, {}},
    };
    const CabListFn collect = [](void* names, const char* name, unsigned long long size) {
        static_cast<QStringList*>(names)->append(QString("%1 %2").arg(QString::fromUtf8(name)).arg(size));
        return 0;
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        QTemporaryDir dir;
        const QString target = dir.filePath("target"), archive = QStringLiteral(TAMBERLOX_TESTDATA "/") + row.file;
        EXPECT_EQ(extract(archive, target, "-x -o -i"), row.code);
        EXPECT_EQ(CabCheckArchive(QFile::encodeName(archive).constData(), 1), row.mode1);
        EXPECT_EQ(CabCheckArchive(QFile::encodeName(archive).constData(), 2), row.mode2);
        QStringList listed;
        EXPECT_EQ(CabList(QFile::encodeName(archive).constData(), 2, collect, nullptr, &listed), row.listed);
        EXPECT_EQ(listed, row.listed == CAB32_OK ? QStringList{"表../ok.txt 4"} : QStringList());
        EXPECT_EQ(filesUnder(target).keys(), row.written);
        EXPECT_EQ(entriesOf(dir.path()), row.targetMade ? QStringList{"target"} : QStringList());
        EXPECT_FALSE(QFileInfo::exists("/tmp/evil.txt"));
    }
    EXPECT_EQ(CabCheckArchive(TAMBERLOX_TESTDATA, 1), 0);
    EXPECT_EQ(CabCheckArchive(nullptr, 1), 0);
}

// One file into memory, named as CabList names it; a short buffer or a
// missing name is refused with the size told, and a stop is felt.
TEST(Cab32Extract, CabReadFileReadsOneFileIntoTheBufferOnly)
{
    const QByteArray archive = QFile::encodeName(TAMBERLOX_TESTDATA "/trail-byte-dotdot-name.cab");
    const char* name = "表../ok.txt";
    char buffer[8] = "-------";
    unsigned long long length = 0;
    EXPECT_EQ(CabReadFile(archive, name, buffer, 3, &length, nullptr, nullptr), CAB32_ERROR_LIMIT);
    EXPECT_EQ(length, 4u);
    EXPECT_STREQ(buffer, "-------");
    EXPECT_EQ(CabReadFile(archive, name, buffer, 4, &length, nullptr, nullptr), CAB32_OK);
    EXPECT_EQ(QByteArray(buffer), "safe---");
    EXPECT_EQ(CabReadFile(archive, "ok.txt", buffer, sizeof buffer, &length, nullptr, nullptr), CAB32_ERROR_NOT_FOUND);
    const CabStopFn always = [](void*) { return 1; };
    EXPECT_EQ(CabReadFile(archive, name, buffer, sizeof buffer, &length, always, nullptr), CAB32_ERROR_STOPPED);
    EXPECT_EQ(CabReadFile(TAMBERLOX_TESTDATA "/overlap.cab", "a.txt", buffer, sizeof buffer, &length, nullptr, nullptr),
              CAB32_ERROR_DAMAGED);
}
