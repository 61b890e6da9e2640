#include "settings/clsIniFile.h"

#include "platform/Cp932.h"
#include "platform/Profile.h"
#include "platform/SystemError.h"

namespace {

// The buffer the original passed to GetPrivateProfileStringA.
constexpr int kValueBufferSize = 255;

} // namespace

QString clsIniFile::GetValue(const QString& Path, const QString& Section, const QString& Key,
                             std::int16_t iMode) const
{
    using platform::toCp932;
    switch (iMode) {
    case 0: {
        QString value = platform::fromCp932(platform::getProfileString(
            toCp932(Section), toCp932(Key), QByteArray(), kValueBufferSize, Path));
        return value.remove(QChar(0));
    }
    case 1:
        return QString::number(platform::getProfileInt(toCp932(Section), toCp932(Key), 0, Path));
    default:
        return QString();
    }
}

QString clsIniFile::GetIni(std::int16_t iMode) const
{
    return GetValue(m_pathIniFile, m_section, m_key, iMode);
}

bool clsIniFile::WriteIniValue(const QString& vNewValue, const QString& Section,
                               const QString& Key, const QString& Path)
{
    using platform::toCp932;
    const int code =
        platform::writeProfileString(toCp932(Section), toCp932(Key), toCp932(vNewValue), Path);
    if (code == 0)
        return true;
    m_errMessage = QStringLiteral("WriteValueString INIﾌｧｲﾙ書込みｴﾗｰ。 ") + GetSysErrMessage(code);
    return false;
}

bool clsIniFile::WriteValue(const QString& vNewValue)
{
    return WriteIniValue(vNewValue, m_section, m_key, m_pathIniFile);
}

QString clsIniFile::GetSysErrMessage(int lngErrorCode)
{
    const QString text = platform::systemErrorText(lngErrorCode);
    return text.isEmpty() ? QStringLiteral("登録されていない、ｼｽﾃﾑｴﾗｰが発生しました。") : text;
}
