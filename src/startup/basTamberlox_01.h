#pragma once

#include "common/AppContext.h"
#include "common/ui/UiServices.h"
#include "platform/crypto/CryptoProvider.h"

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class frmTamberlox_01;

namespace platform {
class InstanceLock;
}

// The start-up module: Main and its prerequisite checks.
namespace basTamberlox_01 {

using platform::ProductVersion;

// The oldest security library the encryption works with: 4.0.950.0.
inline constexpr ProductVersion kRequiredVersion { 4, 0, 950, 0 };

// A product version as its resource holds it, two 32-bit words; each part is
// one half taken as a signed 16-bit number (a half of 32768 or more is
// negative).
ProductVersion productVersionOf(std::uint32_t mostSignificant, std::uint32_t leastSignificant);

// True when found is not lower than required, comparing major, minor, build
// and revision as signed numbers.
bool FncCmpVersion(const ProductVersion& found, const ProductVersion& required);

// Where the security library's version comes from: nullopt when there is no
// readable version.
using VersionSource = std::function<std::optional<ProductVersion>()>;

// The version our crypto provider layer reports.
VersionSource cryptoLayerVersion();

// True when the version is at least kRequiredVersion. A lower version gives
// false and the two-line message in strMsg; no readable version gives false
// with strMsg left empty. Shows nothing.
bool FncChkAdvapiVersion(QString& strMsg, const VersionSource& source);

// True when both components can be found. Shows the error box of the first
// missing one (CAB32.DLL before CAPICOM.DLL) before returning false.
bool FncChkDllExist(const AppContext& context);

// What Main is given besides the context.
struct StartupServices {
    platform::InstanceLock& instanceLock; // held by the caller for the whole run
    VersionSource advapiVersion;
    UiServices ui;
};

// The program's start: single instance, components, security library
// version, strIniPath, then the main window: loaded and shown non-modally.
// Returns the shown window, or null when the program must end now (every
// message has been shown). context must outlive the window.
std::unique_ptr<frmTamberlox_01> Main(const AppContext& context, const StartupServices& services);

} // namespace basTamberlox_01
