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
    writeValidSettings();
}

void RunFixture::writeSetting(settings::Field field, const QString& value)
{
    const settings::FieldInfo& info = settings::fieldInfo(field);
    clsIniFile ini;
    ASSERT_TRUE(ini.WriteIniValue(value, info.section, info.key, iniPath())) << ini.GetErrMessage().toStdString();
}

void RunFixture::writeValidSettings()
{
    QString error;
    ASSERT_TRUE(testsupport::writeSettings(iniPath(), m_context.components,
                                           {QStringLiteral("トルメア"), QStringLiteral("A123"), QStringLiteral("パス,word1"),
                                            QStringLiteral("reply@example.jp"), at(QStringLiteral("output")),
                                            at(QStringLiteral("log")), at(QStringLiteral("templog")), at(QStringLiteral("work"))},
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

void RunFixture::resetRun()
{
    m_run.reset();
    m_boxes.boxes.clear();
    m_window.reports.clear();
    m_window.waitPointer.clear();
    for (const QString& log : QDir(m_context.programFolder).entryList({QStringLiteral("Err_*")}))
        QFile::remove(m_context.programFolder + QLatin1Char('/') + log);
}

QStringList RunFixture::errorLogs() const
{
    QStringList logs;
    const QDir program(m_context.programFolder);
    for (const QString& name : program.entryList({QStringLiteral("Err_*.LOG")}, QDir::Files))
        logs << name + QStringLiteral(": ") + platform::fromCp932(testsupport::readBytes(program.filePath(name)));
    return logs;
}

QString RunFixture::failed(const QString& label, size_t boxes)
{
    EXPECT_EQ(m_boxes.boxes.size(), boxes);
    const QString text = m_boxes.boxes.empty() ? QString() : m_boxes.boxes.back().text;
    EXPECT_TRUE(!text.isEmpty() && m_boxes.boxes.back().kind == BoxKind::Warning);
    EXPECT_EQ(errorLogs(), QStringList{QStringLiteral("Err_20261206030405.LOG: ") + text + QLatin1Char(',')
                                       + label + QStringLiteral("\r\n")});
    EXPECT_TRUE(workFolders().isEmpty()) << workFolders().join(' ').toStdString();
    EXPECT_EQ(m_window.removals, 0);
    EXPECT_FALSE(m_window.addButtonFocused);
    EXPECT_EQ(m_window.waitPointer, (std::vector<bool>{true, false}));
    return text;
}
