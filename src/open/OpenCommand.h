#pragma once

#include "open/OutputReader.h"
#include "platform/ComponentLookup.h"

#include <QByteArray>
#include <QStringList>

#include <functional>

// The command line of tamberlox-open:
//   tamberlox-open FILE                   header and file list
//   tamberlox-open -d DIR [--force] FILE  extract into DIR
//   tamberlox-open --help
namespace opener {

// What a caller (a test) may hook into a run.
struct OpenHooks {
    // Called at every stop point of a long step, before it asks whether a
    // signal came.
    std::function<void(Step)> progress;
    // Free bytes of the file system that holds folder (or its nearest
    // existing parent); null: the system's count.
    std::function<qint64(const QString& folder)> freeSpace;
};

// Runs one command line (arguments without the program's name). Standard
// output (UTF-8) is appended to out, the one failure line to err; returns the
// exit code (see Failure.h and the help text). Never throws; after a failure
// nothing it made is left under a final name. While it runs, SIGINT, SIGTERM
// and SIGHUP end it at the next stop point: everything it made is removed,
// nothing is printed, and it returns 128 + the signal's number.
int runOpen(const QStringList& arguments, const platform::ComponentLookup& components,
    QByteArray& out, QByteArray& err, const OpenHooks& hooks = {});

// The text of --help, exit codes included.
QString helpText();

} // namespace opener
