#pragma once

#include <QByteArray>
#include <QString>


namespace platform {

// Replaces (or creates) the file at path with data: the bytes go to a
// temporary file in the same folder, are flushed to disk, and the temporary
// file is renamed over the target only when complete. A crash or a full disk
// leaves either the old file or the new one, never a mix. A failed write
// removes its temporary file; a killed process may leave it, always under a
// hidden name ("." + file name + ".XXXXXX"), never under the final one.
//
// A target that exists and is read-only (isReadOnly) is refused with EACCES
// before anything is written, one on a read-only file system with EROFS; a
// folder in its place gives EISDIR. A new file gets newFileMode; an existing
// file keeps its mode.
//
// Returns 0 on success, else the errno of the failure.
int writeFileAtomically(const QString& path, const QByteArray& data, int newFileMode = 0600);

} // namespace platform
