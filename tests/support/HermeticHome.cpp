#include "HermeticHome.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>
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

} // namespace

void enterHermeticHome()
{
    namespace fs = std::filesystem;
    const char* scratch = std::getenv("TAMBERLOX_TEST_SCRATCH");
    const fs::path base = scratch != nullptr && *scratch != '\0' ? fs::path(scratch) : fs::temp_directory_path();
    fs::create_directories(base); // throws, and the program stops with the reason
    std::string pattern = (base / "home-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        std::perror(pattern.c_str());
        std::exit(2);
    }
    g_home = pattern;
    g_owner = ::getpid();
    std::atexit(removeHome);
    const std::pair<const char*, const char*> places[] = {
        {"XDG_CONFIG_HOME", "/.config"}, {"XDG_DATA_HOME", "/.local/share"}, {"XDG_CACHE_HOME", "/.cache"},
        {"XDG_STATE_HOME", "/.local/state"}, {"XDG_RUNTIME_DIR", "/runtime"}, {"TMPDIR", "/tmp"},
    };
    ::setenv("HOME", g_home.c_str(), 1);
    for (const auto& [variable, relative] : places) {
        const std::string folder = g_home + relative;
        fs::create_directories(folder);
        fs::permissions(folder, fs::perms::owner_all); // Qt wants its runtime folder private
        ::setenv(variable, folder.c_str(), 1);
    }
}

} // namespace testsupport
