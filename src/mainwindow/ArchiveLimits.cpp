#include "mainwindow/ArchiveLimits.h"

#include <QLocale>

namespace archivelimits {
namespace {

constexpr qint64 kBlockBytes = 32768;
// A stored block: its CFDATA header, "CK" and the deflate stored-block
// header, rounded up.
constexpr qint64 kBlockOverhead = 32;
// A CFFILE entry with a name of 255 bytes and its NUL, plus a folder entry.
constexpr qint64 kFileOverhead = 16 + 256 + 8;
// The cabinet header, and the header text MAIN_TEXT.txt (four values of at
// most 254 bytes, three commas, CR LF) as one more file.
constexpr qint64 kFixedOverhead = 36 + 4 * 254 + 5 + kFileOverhead;

QString bytesText(qint64 bytes)
{
    return QLocale(QLocale::Japanese, QLocale::Japan).toString(bytes);
}

} // namespace

qint64 maxTotalBytes(int fileCount)
{
    const qint64 blocks = kMaxArchiveBytes / kBlockBytes + 1 + fileCount + 1;
    return kMaxArchiveBytes - kFixedOverhead - qint64{fileCount} * kFileOverhead
           - blocks * kBlockOverhead;
}

Verdict check(const QList<qint64>& sizes)
{
    qint64 total = 0;
    for (int i = 0; i < sizes.size(); ++i) {
        if (sizes[i] > kMaxFileBytes)
            return {false, i, sizes[i], kMaxFileBytes};
        total += qMax<qint64>(sizes[i], 0);
    }
    const qint64 limit = maxTotalBytes(static_cast<int>(sizes.size()));
    if (total > limit)
        return {false, -1, total, limit};
    return {};
}

QString message(const Verdict& verdict, const QString& path)
{
    if (verdict.file >= 0)
        return QStringLiteral("ﾌｧｲﾙが大きすぎるため出力できません。\r\n%1\r\n"
                              "大きさ %2ﾊﾞｲﾄ、1ﾌｧｲﾙの上限 %3ﾊﾞｲﾄ (CAB形式の制限)")
            .arg(path, bytesText(verdict.bytes), bytesText(verdict.limit));
    return QStringLiteral("ﾌｧｲﾙの合計が大きすぎるため出力できません。\r\n"
                          "合計 %1ﾊﾞｲﾄ、上限 %2ﾊﾞｲﾄ (暗号化ﾌｧｲﾙの上限 %3ﾊﾞｲﾄから書庫の管理情報を除いた大きさ)\r\n"
                          "ﾌｧｲﾙを分けて出力してください。")
        .arg(bytesText(verdict.bytes), bytesText(verdict.limit), bytesText(kMaxArchiveBytes));
}

} // namespace archivelimits
