#include "settings/SettingsModel.h"

#include "common/basCommon.h"
#include "platform/Cp932.h"
#include "platform/FileTests.h"
#include "platform/Folders.h"

namespace settings {
namespace {

FieldInfo userField(const QString& key, const QString& label, const QString& name)
{
    return {kSectionUser, key, label, QStringLiteral("USER設定の%1").arg(name), false,
            QStringLiteral("USER設定の%1が未入力です。").arg(name),
            QStringLiteral("USER設定の%1が入力文字数をオーバーしています").arg(name), QString(), QString()};
}

FieldInfo systemField(const QString& key, const QString& label, const QString& name,
                      const QString& missing)
{
    return {kSectionSystem, key, label, QStringLiteral("ｼｽﾃﾑ設定の%1").arg(name), true,
            QStringLiteral("ｼｽﾃﾑ設定の%1が未入力です。").arg(name),
            QStringLiteral("ｼｽﾃﾑ設定の%1が入力文字数をオーバーしています").arg(name), missing,
            QStringLiteral("ｼｽﾃﾑ設定の%1に使用できない文字 \" が含まれています。").arg(name)};
}

const std::array<FieldInfo, kFieldCount>& fieldTable()
{
    static const std::array<FieldInfo, kFieldCount> table{
        userField(kKeyHoukoku, QStringLiteral("報告ID"), QStringLiteral("報告ID")),
        userField(kKeyUserId, QStringLiteral("ユーザーID"), QStringLiteral("ユーザーID")),
        userField(kKeyPassword, QStringLiteral("パスワード"), QStringLiteral("パスワード")),
        userField(kKeyMailAdress, QStringLiteral("返信メールアドレス"),
                  QStringLiteral("返信メールアドレス")),
        systemField(kKeyOutput, QStringLiteral("ﾌｧｲﾙ出力先ﾌｫﾙﾀﾞ"),
                    QStringLiteral("暗号化ﾌｧｲﾙの出力先"),
                    QStringLiteral("ｼｽﾃﾑ設定の暗号化ﾌｧｲﾙの出力先が存在しません。")),
        systemField(kKeyLog, QStringLiteral("LOG"), QStringLiteral("LOGの出力先"),
                    QStringLiteral("ｼｽﾃﾑ設定のLOGﾌｧｲﾙの出力先が存在しません。")),
        systemField(kKeyTempLog, QStringLiteral("添付ファイルLOG"),
                    QStringLiteral("添付ﾌｧｲﾙLOGの出力先"),
                    QStringLiteral("ｼｽﾃﾑ設定の添付ﾌｧｲﾙの保存先が存在しません。")),
        systemField(kKeyTemp, QStringLiteral("作業ﾌｫﾙﾀﾞ"), QStringLiteral("作業ﾌｫﾙﾀﾞの出力先"),
                    QStringLiteral("ｼｽﾃﾑ設定の作業ﾌｫﾙﾀﾞが存在しません。")),
    };
    return table;
}

CheckResult failure(Field field, const QString& message)
{
    return {false, field, message};
}

} // namespace

const FieldInfo& fieldInfo(Field field)
{
    return fieldTable()[static_cast<size_t>(field)];
}

QString iniPath(const QString& programFolder)
{
    return platform::joinPath(programFolder, kIniFileName);
}

QString defaultValue(Field field, const AppContext& context)
{
    switch (field) {
    case Field::Houkoku:
        return QStringLiteral("トルメア");
    case Field::Output:
    case Field::Log:
        return basCommon::FncGetSpecialFolder(context, basCommon::kCsidlPersonal);
    case Field::TempLog:
    case Field::Temp:
        return context.programFolder;
    default:
        return QString();
    }
}

bool isBlank(const QString& value)
{
    for (const QChar ch : value)
        if (ch != QLatin1Char(' '))
            return false;
    return true;
}

bool fitsByteLimit(const QString& value)
{
    return platform::cp932Length(value) <= kMaxValueBytes;
}

CheckResult checkValues(const std::array<QString, kFieldCount>& values)
{
    const auto valueOf = [&](Field field) { return values[static_cast<size_t>(field)]; };
    for (Field field : kFields)
        if (isBlank(valueOf(field)))
            return failure(field, fieldInfo(field).blankMessage);
    for (Field field : kFields)
        if (!fitsByteLimit(valueOf(field)))
            return failure(field, fieldInfo(field).lengthMessage);
    for (Field field : kFields)
        if (const QString message = cp932Message(field, valueOf(field)); !message.isEmpty())
            return failure(field, message);
    QString reason;
    if (!basCommon::FncChkMailAddress(valueOf(Field::MailAdress), reason))
        return failure(Field::MailAdress,
                       QStringLiteral("ﾕｰｻﾞｰ設定の返信メールアドレスの指定に間違いがあります。\r\n")
                           + reason);
    for (Field field : kFields) {
        if (!fieldInfo(field).isFolder)
            continue;
        if (valueOf(field).contains(QLatin1Char('"')))
            return failure(field, fieldInfo(field).quoteMessage);
        // entryExists sees no relative path.
        if (!platform::entryExists(valueOf(field)))
            return failure(field, fieldInfo(field).missingMessage);
    }
    return {};
}

QString cp932Message(Field field, const QString& value)
{
    const QString lacking = platform::firstCharOutsideCp932(value, !fieldInfo(field).isFolder);
    if (lacking.isEmpty())
        return QString();
    return QStringLiteral("%1に、Shift_JIS (ｺｰﾄﾞﾍﾟｰｼﾞ932) で表せない文字「%2」が含まれています。")
        .arg(fieldInfo(field).name, lacking);
}

CheckResult checkStoredPassword(const QString& stored)
{
    const int bytes = platform::cp932Length(stored);
    if (bytes <= kMaxValueBytes)
        return {};
    return failure(Field::Password,
                   QStringLiteral("USER設定のパスワードが入力文字数をオーバーしています\r\n"
                                  "暗号化して保存すると%1ﾊﾞｲﾄになり、上限の%2ﾊﾞｲﾄを超えます。")
                       .arg(bytes)
                       .arg(kMaxValueBytes));
}

} // namespace settings
