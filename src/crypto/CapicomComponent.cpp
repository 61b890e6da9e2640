#include "crypto/CapicomComponent.h"

namespace crypto {

bool loadCapicom(const platform::ComponentLookup& lookup, CapicomEntryPoints& entryPoints, QString& error)
{
    QString path;
    if (!platform::loadComponent(lookup, platform::kCapicom, path, error))
        return false;
    CapicomEntryPoints bound;
    const auto bind = [&](const char* name, auto& function) {
        return platform::bindEntryPoint(path, platform::kCapicom, name, function, error);
    };
    const bool complete = bind("capicom_create", bound.create)
                          && bind("capicom_destroy", bound.destroy)
                          && bind("capicom_set_algorithm_name", bound.setAlgorithmName)
                          && bind("capicom_set_algorithm_key_length", bound.setAlgorithmKeyLength)
                          && bind("capicom_set_secret", bound.setSecret)
                          && bind("capicom_set_content", bound.setContent)
                          && bind("capicom_get_content", bound.getContent)
                          && bind("capicom_encrypt", bound.encrypt)
                          && bind("capicom_decrypt", bound.decrypt)
                          && bind("capicom_last_error", bound.lastError);
    if (!complete)
        return false;
    entryPoints = bound;
    return true;
}

} // namespace crypto
