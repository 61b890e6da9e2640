// tamberlox-open: a Tamberlox output opened with the program's own components.
#include "open/OpenCommand.h"
#include "platform/Folders.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    // The archiver is found beside the program first, as the program finds it.
    const platform::ComponentLookup components { platform::programFolder(), true };
    QByteArray out;
    QByteArray err;
    const int code = opener::runOpen(arguments, components, out, err);
    std::fwrite(out.constData(), 1, static_cast<size_t>(out.size()), stdout);
    std::fwrite(err.constData(), 1, static_cast<size_t>(err.size()), stderr);
    return std::fflush(stdout) == 0 ? code : 3;
}
