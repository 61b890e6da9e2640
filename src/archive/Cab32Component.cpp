#include "archive/Cab32Component.h"

#include "cab32.h"

#include <type_traits>

namespace archive {

// The component's own header fixes the signatures.
static_assert(std::is_same_v<decltype(Cab32EntryPoints::cab), decltype(&::Cab)>);
static_assert(std::is_same_v<decltype(Cab32EntryPoints::checkArchive), decltype(&::CabCheckArchive)>);
static_assert(std::is_same_v<decltype(Cab32EntryPoints::cabStoppable), decltype(&::CabStoppable)>);

bool loadCab32(const platform::ComponentLookup& lookup, Cab32EntryPoints& entryPoints, QString& error)
{
    using platform::bindEntryPoint;
    using platform::kCab32;
    QString path;
    Cab32EntryPoints bound;
    if (!platform::loadComponent(lookup, kCab32, path, error)
        || !bindEntryPoint(path, kCab32, "Cab", bound.cab, error)
        || !bindEntryPoint(path, kCab32, "CabCheckArchive", bound.checkArchive, error))
        return false;
    QString optional;
    bindEntryPoint(path, kCab32, "CabStoppable", bound.cabStoppable, optional);
    entryPoints = bound;
    return true;
}

} // namespace archive
