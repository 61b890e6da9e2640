#include "archive/Cab32Component.h"

#include "cab32.h"

#include <QLibrary>

#include <type_traits>

namespace archive {
namespace {

// The component's own header fixes the signatures.
static_assert(std::is_same_v<decltype(Cab32EntryPoints::cab), decltype(&::Cab)>);
static_assert(std::is_same_v<decltype(Cab32EntryPoints::checkArchive), decltype(&::CabCheckArchive)>);

template <typename Function>
bool bind(QLibrary& library, const char* name, Function& function, QString& error)
{
    function = reinterpret_cast<Function>(library.resolve(name));
    if (function == nullptr)
        error = QStringLiteral("%1 に %2 がありません。").arg(QLatin1String(platform::kCab32.dllName),
                                                               QLatin1String(name));
    return function != nullptr;
}

} // namespace

bool loadCab32(const platform::ComponentLookup& lookup, Cab32EntryPoints& entryPoints, QString& error)
{
    const QString path = lookup.find(platform::kCab32);
    if (path.isEmpty()) {
        error = QStringLiteral("%1 (%2) が見つかりません。")
                    .arg(QLatin1String(platform::kCab32.dllName), QLatin1String(platform::kCab32.fileName));
        return false;
    }
    QLibrary library(path);
    if (!library.load()) {
        error = QStringLiteral("%1 を読み込めません。(%2)")
                    .arg(QLatin1String(platform::kCab32.dllName), library.errorString());
        return false;
    }
    Cab32EntryPoints bound;
    if (!bind(library, "Cab", bound.cab, error) || !bind(library, "CabCheckArchive", bound.checkArchive, error))
        return false;
    entryPoints = bound;
    return true;
}

} // namespace archive
