#include "RunFixture.h"

#include "SettingsWriter.h"

#include "platform/Cp932.h"
#include "platform/Folders.h"

#include <QDir>

void RunFixture::SetUp()
{
    ASSERT_TRUE(m_root.isValid());
    for (const char* folder : {"program", "work", "output", "log", "templog", "documents", "reports"})
        ASSERT_TRUE(QDir().mkpath(at(QString::fromLatin1(folder))));
    m_context.programFolder = at(QStringLiteral("program"));
    m_context.documentsFolder = at(QStringLiteral("documents"));
    m_context.clock = [this] { return m_now; };
    m_context.boxes = &m_boxes;
    // The components built beside the tests.
    m_context.components.programFolder = platform::programFolder();
    m_context.components.searchSystem = false;
}

void RunFixture::writeSetting(const QString& key, const QString& value)
{
    const bool user = key == settings::kKeyHoukoku || key == settings::kKeyUserId
                      || key == settings::kKeyPassword || key == settings::kKeyMailAdress;
    clsIniFile ini;
    ASSERT_TRUE(ini.WriteIniValue(value, user ? settings::kSectionUser : settings::kSectionSystem,
                                  key, iniPath()))
        << ini.GetErrMessage().toStdString();
}

void RunFixture::writeValidSettings()
{
    QString error;
    ASSERT_TRUE(testsupport::writeSettings(
        iniPath(), m_context.components,
        {QStringLiteral("トルメア"), QStringLiteral("A123"), QStringLiteral("パス,word1"),
         QStringLiteral("reply@example.jp"), at(QStringLiteral("output")), at(QStringLiteral("log")),
         at(QStringLiteral("templog")), at(QStringLiteral("work"))},
        error))
        << error.toStdString();
}

QString RunFixture::addReport(const QString& relativePath, const QByteArray& content)
{
    const QString path = at(QStringLiteral("reports/") + relativePath);
    EXPECT_TRUE(testsupport::writeBytes(path, content));
    m_window.entries.push_back({path, false});
    return path;
}

OutputRun& RunFixture::run()
{
    if (!m_run)
        m_run = std::make_unique<OutputRun>(m_context, iniPath(), m_window);
    return *m_run;
}

QStringList RunFixture::boxTexts() const
{
    QStringList texts;
    for (const auto& box : m_boxes.boxes)
        texts << box.text;
    return texts;
}

QStringList RunFixture::errorLogs() const
{
    QStringList logs;
    const QDir program(m_context.programFolder);
    for (const QString& name : program.entryList({QStringLiteral("Err_*.LOG")}, QDir::Files))
        logs << name + QStringLiteral(": ")
                    + platform::fromCp932(testsupport::readBytes(program.filePath(name)));
    return logs;
}

QStringList RunFixture::workFolders() const
{
    return testsupport::entriesOf(at(QStringLiteral("work")));
}
