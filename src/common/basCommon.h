#pragma once

#include "common/AppContext.h"

#include <QString>

// Common procedures of the program.
namespace basCommon {

// The special-folder id of the user's documents folder.
inline constexpr int kCsidlPersonal = 5;

// Writes one record "message,label" + CR LF, in CP932, into a new file
// Err_YYYYMMDDHHmmSS.LOG in the program folder (one file per record; a file
// of the same second is replaced). On failure shows the system's text for it
// in a plain box and returns false.
bool FncWriteErrLog(const AppContext& context, const QString& strMsg, const QString& strLabel);

// Checks a reply mail address: exactly one "@", no double-byte character,
// only letters, digits and "-._@". On failure returns false and sets strMsg
// to the first rule's message; strMsg is left alone on success.
bool FncChkMailAddress(const QString& strMailAddress, QString& strMsg);

// Path of a special folder (only kCsidlPersonal is known); empty otherwise.
QString FncGetSpecialFolder(const AppContext& context, int lngCsidl);

// Deletes a folder with everything in it, or a file. Links are removed, never
// followed. A read-only entry stops the deletion with the system's text for
// an access failure (as on Windows); entries deleted before stay deleted. An
// empty or relative path deletes nothing. On failure returns false with the
// reason in strMsg (left alone if it already holds a text).
bool FncDelPath(const QString& strPath, QString& strMsg);

} // namespace basCommon
