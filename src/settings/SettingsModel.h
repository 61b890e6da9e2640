#pragma once

#include "common/AppContext.h"

#include <QString>
#include <array>

// The settings file TAMBERLOX.INI: its eight keys, their defaults and the
// rules every value saved by the settings window satisfies. There is no
// settings object: readers ask clsIniFile for the key they need when they
// need it.
namespace settings {

inline const QString kIniFileName = QStringLiteral("TAMBERLOX.INI");
inline const QString kSectionUser = QStringLiteral("USER");
inline const QString kSectionSystem = QStringLiteral("SYSTEM");
inline const QString kKeyHoukoku = QStringLiteral("HOUKOKU");
inline const QString kKeyUserId = QStringLiteral("USERID");
inline const QString kKeyPassword = QStringLiteral("PASSWORD");
inline const QString kKeyMailAdress = QStringLiteral("MAILADRESS");
inline const QString kKeyOutput = QStringLiteral("OUTPUT");
inline const QString kKeyLog = QStringLiteral("LOG");
inline const QString kKeyTempLog = QStringLiteral("TEMPLOG");
inline const QString kKeyTemp = QStringLiteral("TEMP");

// The eight fields in the order they are shown, checked and written.
enum class Field { Houkoku, UserId, Password, MailAdress, Output, Log, TempLog, Temp };
inline constexpr int kFieldCount = 8;
inline constexpr std::array<Field, kFieldCount> kFields{
    Field::Houkoku, Field::UserId, Field::Password, Field::MailAdress,
    Field::Output,  Field::Log,    Field::TempLog,  Field::Temp};

struct FieldInfo {
    QString section;
    QString key;
    QString label;          // row label of the settings window
    QString name;           // the field as its messages name it, with its section
    bool isFolder;
    QString blankMessage;
    QString lengthMessage;
    QString missingMessage; // folders only
    QString quoteMessage;   // folders only: a '"' breaks the archiver's command line
};

const FieldInfo& fieldInfo(Field field);

// strIniPath: the program folder + "/" (unless it ends in one) + TAMBERLOX.INI.
QString iniPath(const QString& programFolder);

// The value a new settings file starts with (shown, never written by itself).
QString defaultValue(Field field, const AppContext& context);

// Longest value, counted in CP932 bytes, that the settings read gives back
// whole (it cuts at 254 bytes); a longer one must never be saved.
inline constexpr int kMaxValueBytes = 254;

// True when nothing but ASCII blanks (U+0020) is left; other white space,
// such as U+3000, counts as content.
bool isBlank(const QString& value);

bool fitsByteLimit(const QString& value);

// The result of the four check passes over the eight values.
struct CheckResult {
    bool ok = true;
    Field field = Field::Houkoku; // the first failing field, where the focus goes
    QString message;
};

// Blank pass, length pass, code page pass, mail pass, folder pass, each over the fields in
// order; the first failure ends the check. Values are checked untrimmed. A
// folder must be an existing absolute path without '"'.
CheckResult checkValues(const std::array<QString, kFieldCount>& values);

// Empty when code page 932 holds value as the field needs it (a folder
// exactly, as the file system knows only the typed form; the other fields as
// the receiver's Windows reads them); else the message naming the field and
// the first character it lacks, which the file would turn into "?".
QString cp932Message(Field field, const QString& value);

// The password's stored (enciphered, one-line) form must fit kMaxValueBytes
// too, or no run could read it back; the message gives both lengths.
CheckResult checkStoredPassword(const QString& stored);

} // namespace settings
