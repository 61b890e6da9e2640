#include "crypto/CapicomComponent.h"

#include <QLibrary>

namespace crypto {
namespace {

template <typename Function>
bool bind(QLibrary& library, const char* name, Function& function, QString& error)
{
    function = reinterpret_cast<Function>(library.resolve(name));
    if (function == nullptr)
        error = QStringLiteral("%1 に %2 がありません。").arg(QLatin1String(platform::kCapicom.dllName),
                                                               QLatin1String(name));
    return function != nullptr;
}

} // namespace

bool loadCapicom(const platform::ComponentLookup& lookup, CapicomEntryPoints& entryPoints, QString& error)
{
    const QString path = lookup.find(platform::kCapicom);
    if (path.isEmpty()) {
        error = QStringLiteral("%1 (%2) が見つかりません。")
                    .arg(QLatin1String(platform::kCapicom.dllName), QLatin1String(platform::kCapicom.fileName));
        return false;
    }
    QLibrary library(path);
    if (!library.load()) {
        error = QStringLiteral("%1 を読み込めません。(%2)")
                    .arg(QLatin1String(platform::kCapicom.dllName), library.errorString());
        return false;
    }
    CapicomEntryPoints bound;
    const bool complete = bind(library, "capicom_create", bound.create, error)
                          && bind(library, "capicom_destroy", bound.destroy, error)
                          && bind(library, "capicom_set_algorithm_name", bound.setAlgorithmName, error)
                          && bind(library, "capicom_set_algorithm_key_length", bound.setAlgorithmKeyLength, error)
                          && bind(library, "capicom_set_secret", bound.setSecret, error)
                          && bind(library, "capicom_set_content", bound.setContent, error)
                          && bind(library, "capicom_get_content", bound.getContent, error)
                          && bind(library, "capicom_encrypt", bound.encrypt, error)
                          && bind(library, "capicom_decrypt", bound.decrypt, error)
                          && bind(library, "capicom_last_error", bound.lastError, error);
    if (!complete)
        return false;
    entryPoints = bound;
    return true;
}

} // namespace crypto
