#include "startup/basTamberlox_01.h"

#include "mainwindow/Leftovers.h"
#include "mainwindow/ui/frmTamberlox_01.h"
#include "platform/InstanceLock.h"
#include "settings/SettingsModel.h"

#include <array>

namespace basTamberlox_01 {
namespace {

std::int16_t signedHalf(std::uint32_t word, int shift)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>((word >> shift) & 0xFFFFu));
}

std::array<std::int16_t, 4> partsOf(const ProductVersion& version)
{
    return { version.majorPart, version.minorPart, version.buildPart, version.revisionPart };
}

QString versionText(const ProductVersion& version)
{
    QStringList parts;
    for (const std::int16_t part : partsOf(version))
        parts << QString::number(part);
    return parts.join(QLatin1Char('.'));
}

QString componentMissing(const platform::ComponentName& component)
{
    return QString::fromLatin1(component.dllName) + QStringLiteral("が見つかりません!!");
}

} // namespace

ProductVersion productVersionOf(std::uint32_t mostSignificant, std::uint32_t leastSignificant)
{
    return { signedHalf(mostSignificant, 16), signedHalf(mostSignificant, 0),
        signedHalf(leastSignificant, 16), signedHalf(leastSignificant, 0) };
}

bool FncCmpVersion(const ProductVersion& found, const ProductVersion& required)
{
    const auto foundParts = partsOf(found);
    const auto requiredParts = partsOf(required);
    for (size_t index = 0; index < foundParts.size(); ++index)
        if (foundParts[index] != requiredParts[index])
            return foundParts[index] > requiredParts[index];
    return true;
}

VersionSource cryptoLayerVersion()
{
    return [] { return std::optional(platform::defaultCryptoProvider()->productVersion()); };
}

bool FncChkAdvapiVersion(QString& strMsg, const VersionSource& source)
{
    const std::optional<ProductVersion> found = source ? source() : std::nullopt;
    if (!found)
        return false;
    if (FncCmpVersion(*found, kRequiredVersion))
        return true;
    const QString prefix = QStringLiteral("ADVAPI32.DLLのﾊﾞｰｼﾞｮﾝが");
    strMsg = prefix + versionText(*found) + QStringLiteral("です。\r\n") + prefix
        + versionText(kRequiredVersion) + QStringLiteral("より新しいﾊﾞｰｼﾞｮﾝを使用してください。");
    return false;
}

bool FncChkDllExist(const AppContext& context)
{
    for (const platform::ComponentName& component : { platform::kCab32, platform::kCapicom }) {
        if (context.components.find(component).isEmpty()) {
            context.boxes->show(BoxKind::Error, componentMissing(component));
            return false;
        }
    }
    return true;
}

std::unique_ptr<frmTamberlox_01> Main(const AppContext& context, const StartupServices& services)
{
    if (!services.instanceLock.tryLock()) {
        context.boxes->show(BoxKind::Warning, QStringLiteral("二重起動はできません。"));
        return nullptr;
    }
    // No other run of ours can be going on now: what a killed one left goes.
    leftovers::removeLeftovers(settings::iniPath(context.programFolder));
    if (!FncChkDllExist(context))
        return nullptr;
    QString strMsg;
    if (!FncChkAdvapiVersion(strMsg, services.advapiVersion)) {
        if (!strMsg.isEmpty())
            context.boxes->show(BoxKind::Error, strMsg);
        return nullptr;
    }
    const QString strIniPath = settings::iniPath(context.programFolder);
    auto window = std::make_unique<frmTamberlox_01>(context, strIniPath, services.ui);
    if (!window->Form_Load())
        return nullptr;
    window->show();
    return window;
}

} // namespace basTamberlox_01
