#pragma once

#include "platform/ComponentLookup.h"

#include <QByteArray>
#include <QStringList>

// The command line of tamberlox-open:
//   tamberlox-open FILE                   header and file list
//   tamberlox-open -d DIR [--force] FILE  extract into DIR
//   tamberlox-open --help
namespace opener {

// Runs one command line (arguments without the program's name). Standard
// output (UTF-8) is appended to out, the one failure line to err; returns the
// exit code (see Failure.h and the help text). Never throws; after a failure
// nothing it made is left under a final name.
int runOpen(const QStringList& arguments, const platform::ComponentLookup& components,
    QByteArray& out, QByteArray& err);

// The text of --help, exit codes included.
QString helpText();

} // namespace opener
