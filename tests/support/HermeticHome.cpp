#include "HermeticHome.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <utility>

namespace testsupport {
namespace {

std::filesystem::path g_home;
qint64 g_owner = 0;

// Only the process that made it: a forked child that exits must not take
// the home from under its parent.
void removeHome()
{
    std::error_code ignored;
    if (QCoreApplication::applicationPid() == g_owner)
        std::filesystem::remove_all(g_home, ignored);
}

std::filesystem::path makeUniqueFolder(const std::filesystem::path& base)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto name = "home-" + std::to_string(QRandomGenerator::system()->generate());
        std::error_code error;
        if (std::filesystem::create_directory(base / name, error))
            return base / name;
    }
    return {};
}

} // namespace

void enterHermeticHome()
{
    namespace fs = std::filesystem;
    const char* scratch = std::getenv("TAMBERLOX_TEST_SCRATCH");
#ifdef TAMBERLOX_TEST_SCRATCH_DEFAULT
    if (scratch == nullptr || *scratch == '\0')
        scratch = TAMBERLOX_TEST_SCRATCH_DEFAULT;
#endif
    // Absolute, drive included on Windows: a path from the root alone would
    // depend on the current drive.
    const fs::path base = fs::absolute(
        scratch != nullptr && *scratch != '\0' ? fs::path(scratch) : fs::temp_directory_path());
    fs::create_directories(base); // throws, and the program stops with the reason
    g_home = makeUniqueFolder(base);
    if (g_home.empty()) {
        std::perror(base.string().c_str());
        std::exit(2);
    }
    g_owner = QCoreApplication::applicationPid();
    std::atexit(removeHome);
    // The Linux names and the Windows ones: the profile, its application
    // data and the temporary folder.
    const std::pair<const char*, const char*> places[] = {
        { "XDG_CONFIG_HOME", "/.config" },
        { "XDG_DATA_HOME", "/.local/share" },
        { "XDG_CACHE_HOME", "/.cache" },
        { "XDG_STATE_HOME", "/.local/state" },
        { "XDG_RUNTIME_DIR", "/runtime" },
        { "TMPDIR", "/tmp" },
        { "TEMP", "/tmp" },
        { "TMP", "/tmp" },
        { "APPDATA", "/AppData/Roaming" },
        { "LOCALAPPDATA", "/AppData/Local" },
    };
    const std::string home = g_home.generic_string();
    qputenv("HOME", QByteArray::fromStdString(home));
    qputenv("USERPROFILE", QByteArray::fromStdString(g_home.make_preferred().string()));
    for (const auto& [variable, relative] : places) {
        const fs::path folder = fs::path(home + relative).make_preferred();
        fs::create_directories(folder);
        fs::permissions(folder, fs::perms::owner_all); // Qt wants its runtime folder private
        qputenv(variable, QByteArray::fromStdString(folder.string()));
    }
}

} // namespace testsupport
