#pragma once

#include <QString>
#include <sys/types.h>

namespace platform {

// Copies source to target the way writeFileAtomically writes: through a
// temporary file beside target, flushed, then renamed over target only when
// the copy is complete. A failed copy removes its temporary file and leaves
// an existing target untouched. It streams through a fixed buffer, so memory
// does not grow with the file.
//
// An existing read-only target is refused with EACCES (Windows refuses to
// replace it); a folder in its place gives EISDIR; a folder as source gives
// EISDIR. A source whose size or modification time changes while it is
// copied gives EBUSY (the copy would be neither its old nor its new
// content). The new file gets mode whether or not a target existed (0600 by
// default: copies may hold private data).
//
// Returns 0 on success, else the errno of the failure.
int copyFile(const QString& source, const QString& target, mode_t mode = 0600);

} // namespace platform
