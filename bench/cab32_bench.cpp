// Benchmark driver: compresses one folder with the component, the way the
// output run does, and prints wall time and peak resident memory.
#include "cab32.h"

#include <chrono>
#include <cstdio>
#include <string>
#include <sys/resource.h>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s ARCHIVE FOLDER/\n", argv[0]);
        return 2;
    }
    std::string command = std::string("-a -r -i -o -mz \"") + argv[1] + "\" \"" + argv[2] + "\" *.*";
    auto start = std::chrono::steady_clock::now();
    char message[512] = {};
    int rc = Cab(nullptr, command.c_str(), message, sizeof message);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("rc=%d seconds=%.3f maxrss_kib=%ld message=%s\n", rc, seconds, usage.ru_maxrss, message);
    return rc == 0 ? 0 : 1;
}
