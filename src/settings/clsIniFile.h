#pragma once

#include <QString>
#include <cstdint>

// The one gateway to INI files. Every read and write goes to the file at
// once; nothing is cached. Names and values are UTF-16 here and CP932 bytes
// in the file.
//
// Reads never fail: a missing file, section or key gives the empty text (or
// "0" for the integer read). A failed write returns false and leaves a text
// for GetErrMessage; only a failed write sets it, and nothing clears it.
class clsIniFile {
public:
    QString PathIniFile() const { return m_pathIniFile; }
    void setPathIniFile(const QString& value) { m_pathIniFile = value; }
    QString Section() const { return m_section; }
    void setSection(const QString& value) { m_section = value; }
    QString Key() const { return m_key; }
    void setKey(const QString& value) { m_key = value; }
    // Stored values that no operation uses.
    QString strValue() const { return m_strValue; }
    void setStrValue(const QString& value) { m_strValue = value; }
    std::int16_t lngValue() const { return m_lngValue; }
    void setLngValue(std::int16_t value) { m_lngValue = value; }

    // iMode 0: the string value (at most 254 bytes); 1: the integer value as
    // decimal text; any other mode: empty, the file is not touched.
    QString GetValue(const QString& Path, const QString& Section, const QString& Key,
                     std::int16_t iMode = 0) const;
    // GetValue with the path, section and key of the properties.
    QString GetIni(std::int16_t iMode) const;

    bool WriteIniValue(const QString& vNewValue, const QString& Section, const QString& Key,
                       const QString& Path);
    // WriteIniValue with the path, section and key of the properties.
    bool WriteValue(const QString& vNewValue);

    QString GetErrMessage() const { return m_errMessage; }

    // The text for a system error number, or the fallback for an unknown one.
    static QString GetSysErrMessage(int lngErrorCode);

private:
    QString m_pathIniFile;
    QString m_section;
    QString m_key;
    QString m_strValue;
    std::int16_t m_lngValue = 0;
    QString m_errMessage;
};
