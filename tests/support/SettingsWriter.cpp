#include "SettingsWriter.h"

#include "crypto/PassPhrase.h"
#include "crypto/clsCryptFile.h"
#include "settings/clsIniFile.h"

namespace testsupport {

bool writeSettings(const QString& iniPath, const platform::ComponentLookup& components,
                   const std::array<QString, settings::kFieldCount>& values, QString& error)
{
    using namespace settings;
    clsCryptFile::Environment environment;
    environment.componentLookup = components;
    clsCryptFile crypt(environment);
    crypt.setInFile(values[static_cast<size_t>(Field::Password)]);
    crypt.setPassword(passPhrase());
    if (!crypt.Encrypt(1)) {
        error = crypt.GetErrMsg();
        return false;
    }
    clsIniFile ini;
    for (Field field : kFields) {
        const FieldInfo& info = fieldInfo(field);
        const QString value = field == Field::Password
                                  ? crypt.OutFile().remove(QStringLiteral("\r\n"))
                                  : values[static_cast<size_t>(field)];
        if (!ini.WriteIniValue(value, info.section, info.key, iniPath)) {
            error = ini.GetErrMessage();
            return false;
        }
    }
    return true;
}

} // namespace testsupport
