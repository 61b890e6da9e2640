#pragma once

#include <QList>
#include <QString>

// What the output's formats can hold, so that a run too large for them is
// refused before anything is copied instead of failing minutes later.
namespace archivelimits {

// One file lies in one CAB folder: at most 65535 data blocks of 32 KiB.
inline constexpr qint64 kMaxFileBytes = 65535LL * 32768;
// The encryption counts the archive's bytes in a signed 32-bit number.
inline constexpr qint64 kMaxArchiveBytes = 2147483647;

struct Verdict {
    bool ok = true;
    int file = -1;      // the file over kMaxFileBytes, or -1 for the total
    qint64 bytes = 0;   // its size, or the total
    qint64 limit = 0;   // the limit it exceeds
};

// The largest total of fileCount files whose archive still fits
// kMaxArchiveBytes, whatever the compression does to incompressible data
// (each block stored as it is, every folder and name at its largest, the
// header text beside the files).
qint64 maxTotalBytes(int fileCount);

// sizes: the listed files' sizes in list order. The first file over its
// limit, else the total over its limit, else ok.
Verdict check(const QList<qint64>& sizes);

// The message for a refused verdict; path is the file's (unused for the total).
QString message(const Verdict& verdict, const QString& path);

} // namespace archivelimits
