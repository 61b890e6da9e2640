#pragma once

#include <QString>
#include <functional>


namespace platform {

// Called after each piece a copy has written, with the bytes written so far;
// returning false stops the copy with ECANCELED (its temporary file removed).
// Pieces are up to 1 MiB, so the call is cheap enough for a progress bar.
using CopyProgress = std::function<bool(qint64 copiedBytes)>;

// Copies source to target the way writeFileAtomically writes: through a
// temporary file beside target, synced, renamed over target only when the
// copy is complete, then the folder synced, so the file survives a crash.
// A failed or cancelled copy removes its temporary file and leaves an
// existing target untouched. Memory does not grow with the file; the kernel
// copies the bytes (copy_file_range) where it can.
//
// An existing read-only target is refused with EACCES (Windows refuses to
// replace it); a folder in its place gives EISDIR; a folder as source gives
// EISDIR. A source whose size or modification time changes while it is
// copied gives EBUSY (the copy would be neither its old nor its new
// content); this is checked after the last piece and its progress call. The
// new file gets mode whether or not a target existed (0600 by default:
// copies may hold private data).
//
// Returns 0 on success, ECANCELED when progress stopped it, else the errno
// of the failure.
int copyFile(const QString& source, const QString& target, int mode = 0600,
             const CopyProgress& progress = {});

// Copies source to target for files nobody keeps past the run, or that are
// synced together afterwards (syncFileSystem): written straight under the
// target name, no temporary file, no sync. The same refusals, EBUSY rule,
// mode and progress calls as copyFile; a link in target's place gives ELOOP
// and a target that is the source itself EINVAL.
// A failed or cancelled copy removes the target it was writing (an existing
// target is emptied at the start).
//
// Returns 0 on success, ECANCELED when progress stopped it, else the errno
// of the failure.
int copyFileUnsynced(const QString& source, const QString& target, int mode = 0600,
                     const CopyProgress& progress = {});

// Moves source (a regular file) to target: a rename where both lie on one
// file system, else copyFileUnsynced and the source removed. Nothing is
// synced. The same refusals of target as copyFile; target gets mode.
// Returns 0 on success, else the errno of the failure.
int moveFile(const QString& source, const QString& target, int mode = 0600);

// Makes everything written on the file system that holds folder durable,
// folder entries included: one sync for a whole set of unsynced copies.
// Returns 0 on success, else the errno of the failure (ENOENT, ENOTDIR for
// a missing folder; EIO when earlier writes could not reach the disk).
int syncFileSystem(const QString& folder);

} // namespace platform
