#include "HermeticHome.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace testsupport {
namespace {

std::string g_home;
pid_t g_owner = 0;

// Only the process that made it: a forked child that exits must not take
// the home from under its parent.
void removeHome()
{
    std::error_code ignored;
    if (::getpid() == g_owner)
        std::filesystem::remove_all(g_home, ignored);
}

void makeFolder(const std::string& path)
{
    if (::mkdir(path.c_str(), 0700) != 0) {
        std::perror(path.c_str());
        std::exit(2);
    }
}

} // namespace

void enterHermeticHome()
{
    const char* scratch = std::getenv("TAMBERLOX_TEST_SCRATCH");
    std::string base = scratch != nullptr && *scratch != '\0' ? scratch : std::filesystem::temp_directory_path().string();
    std::error_code ignored;
    std::filesystem::create_directories(base, ignored);
    std::string pattern = base + "/home-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror(pattern.c_str());
        std::exit(2);
    }
    g_home = pattern;
    g_owner = ::getpid();
    std::atexit(removeHome);
    const struct {
        const char* variable;
        const char* folder;
    } places[] = {
        {"XDG_CONFIG_HOME", "/.config"}, {"XDG_DATA_HOME", "/.local/share"}, {"XDG_CACHE_HOME", "/.cache"},
        {"XDG_STATE_HOME", "/.local/state"}, {"XDG_RUNTIME_DIR", "/runtime"}, {"TMPDIR", "/tmp"},
    };
    ::setenv("HOME", g_home.c_str(), 1);
    makeFolder(g_home + "/.local");
    for (const auto& place : places) {
        makeFolder(g_home + place.folder);
        ::setenv(place.variable, (g_home + place.folder).c_str(), 1);
    }
}

} // namespace testsupport
