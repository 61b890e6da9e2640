#pragma once

#include <QString>

// What a run killed part-way (power cut, SIGKILL) leaves behind: its work
// folder, whose header file holds the password in plain text, and hidden
// temporary files of the atomic writes. Removed at the next start, while the
// single-instance lock keeps every other run of this program away.
namespace leftovers {

// Name of the marker file a run puts into the work folder it creates; only
// folders carrying it are ever removed as leftovers.
inline const QString kWorkMarker = QStringLiteral(".tamberlox-run");

// Removes, among entries owned by this user: the marked WorkSpace* folders
// under the work-folder setting, and the hidden temporary files of our own
// writes (".NAME.XXXXXX") of the settings file and error logs in the
// settings file's folder, of output files in the output folder and of run
// logs in the run-log folder. Symbolic links and everything else are left
// alone; failures are ignored (the next start tries again). Settings are
// read from strIniPath; without it nothing is done.
void removeLeftovers(const QString& strIniPath);

} // namespace leftovers
