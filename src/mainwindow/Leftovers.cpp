#include "mainwindow/Leftovers.h"

#include "common/basCommon.h"
#include "platform/Entries.h"
#include "platform/FileTests.h"
#include "platform/Folders.h"
#include "settings/SettingsModel.h"
#include "settings/clsIniFile.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace leftovers {
namespace {

bool ours(const QFileInfo& entry)
{
    return platform::isOwnEntry(entry.filePath());
}

// Our temporary names: "." + the final name + "." + six characters of mkstemp.
void removeTemporaryFiles(const QString& folder, const QString& finalNames)
{
    if (QDir::isRelativePath(folder))
        return;
    const QRegularExpression pattern(QStringLiteral("^\\.(%1)\\.[A-Za-z0-9]{6}$").arg(finalNames));
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& entry : entries)
        if (ours(entry) && entry.isFile() && pattern.match(entry.fileName()).hasMatch())
            QFile::remove(entry.filePath());
}

void removeMarkedWorkFolders(const QString& temp)
{
    if (!platform::folderExists(temp))
        return;
    const QFileInfoList entries = QDir(temp).entryInfoList({QStringLiteral("WorkSpace*")}, QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QFileInfo& entry : entries) {
        if (!ours(entry) || !QFileInfo(QDir(entry.filePath()).filePath(kWorkMarker)).isFile())
            continue;
        QString ignored;
        basCommon::FncDelPath(entry.filePath(), ignored);
    }
}

} // namespace

void removeLeftovers(const QString& strIniPath)
{
    const QFileInfo ini(strIniPath);
    removeTemporaryFiles(ini.absolutePath(), QStringLiteral("%1|Err_[0-9]+\\.LOG")
                                                 .arg(QRegularExpression::escape(ini.fileName())));
    if (!platform::fileExists(strIniPath))
        return;
    const clsIniFile reader;
    const auto setting = [&](const QString& key) {
        return reader.GetValue(strIniPath, settings::kSectionSystem, key);
    };
    removeMarkedWorkFolders(setting(settings::kKeyTemp));
    removeTemporaryFiles(setting(settings::kKeyOutput), QStringLiteral("TMP.*\\.txt"));
    removeTemporaryFiles(platform::joinPath(setting(settings::kKeyLog), QStringLiteral("TORMEA_REPORT")),
                         QStringLiteral("R_MESS[0-9]+\\.txt"));
}

} // namespace leftovers
