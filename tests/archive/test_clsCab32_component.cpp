// clsCab32 with the real component, and with no usable component at all.
#include "TestSupport.h"
#include "archive/clsCab32.h"
#include "platform/Folders.h"

#include <QDir>
#include <QDirIterator>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class Owner : public CabOwner {
public:
    std::int32_t hwnd() const override { return 0; }
};

platform::ComponentLookup onlyIn(const QString& folder)
{
    return platform::ComponentLookup{folder, false};
}

std::map<QString, QByteArray> treeOf(const QString& folder)
{
    std::map<QString, QByteArray> tree;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        tree[QDir(folder).relativeFilePath(path)] = testsupport::readBytes(path);
    }
    return tree;
}

} // namespace

TEST(clsCab32Component, CompressesTheStagingFolderAndExtractsItBeside)
{
    QTemporaryDir dir;
    const QString w = dir.filePath("w");
    testsupport::writeBytes(w + "/Temp/MAIN_TEXT.txt", "R01,U01,secret,a@b.jp\r\n");
    testsupport::writeBytes(w + "/Temp/月次報告表.xls", QByteArray(100000, 'x'));
    testsupport::writeBytes(w + "/Temp/添付/ソース.txt", "0x5C");
    const Owner owner;
    clsCab32 pack(onlyIn(platform::programFolder()));
    pack.setOverWrite(true);
    pack.setSilent(true);
    pack.setInFile(w + "/Temp");
    pack.setOutFile(w + "/TEMPU_FILE.cab");
    ASSERT_TRUE(pack.Cabcmp(&owner)) << pack.GetErrMsg().toStdString();

    clsCab32 unpack(onlyIn(platform::programFolder()));
    unpack.setInFile(w + "/TEMPU_FILE.cab");
    ASSERT_TRUE(unpack.Cabcmp(&owner)) << unpack.GetErrMsg().toStdString();
    EXPECT_EQ(treeOf(w + "/TEMPU_FILE"), treeOf(w + "/Temp"));

    // Without OverWrite the existing archive stays and the code is shown.
    clsCab32 again(onlyIn(platform::programFolder()));
    again.setInFile(w + "/Temp");
    again.setOutFile(w + "/TEMPU_FILE.cab");
    EXPECT_FALSE(again.Cabcmp(&owner));
    EXPECT_EQ(again.GetErrMsg(), QStringLiteral("圧縮解凍処理にに失敗しました。Error Code:0x8004"));
}

TEST(clsCab32Component, MissingOrUnusableComponentsFailWithADescription)
{
    QTemporaryDir broken;
    const Owner owner;
    const auto failure = [&](const QString& folder) {
        clsCab32 cab(onlyIn(folder));
        cab.setInFile(broken.path());
        EXPECT_FALSE(cab.Cabcmp(&owner));
        return cab.GetErrMsg();
    };
    EXPECT_EQ(failure(broken.path()), QStringLiteral("CAB32.DLL (libcab32.so) が見つかりません。"));
    testsupport::writeBytes(broken.filePath("libcab32.so"), "not a shared library");
    EXPECT_TRUE(failure(broken.path()).startsWith(QStringLiteral("CAB32.DLL を読み込めません。")));
    EXPECT_EQ(failure(platform::programFolder() + "/fakecab_partial"), QStringLiteral("CAB32.DLL に Cab がありません。"));
}
