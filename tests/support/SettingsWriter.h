#pragma once

#include "platform/ComponentLookup.h"
#include "settings/SettingsModel.h"

#include <QString>
#include <array>

namespace testsupport {

// Writes the eight settings through clsIniFile as the settings window saves
// them: the password enciphered through string mode with its CR LF pairs
// removed. values hold the plain texts in field order. False with error set
// on any failure.
bool writeSettings(const QString& iniPath, const platform::ComponentLookup& components,
                   const std::array<QString, settings::kFieldCount>& values, QString& error);

} // namespace testsupport
