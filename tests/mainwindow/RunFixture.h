#pragma once

#include "mainwindow/OutputRun.h"
#include "settings/clsIniFile.h"
#include "settings/SettingsModel.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <vector>

// The main window as the run sees it.
class FakeOutputWindow : public IOutputWindow {
public:
    struct Entry { QString path; bool selected = false; };
    struct Report { RunStage stage; qint64 done; qint64 total; };

    int fileCount() const override { return static_cast<int>(entries.size()); }
    QString filePath(int index) const override { return entries.at(static_cast<size_t>(index)).path; }
    void setFileSelected(int index, bool on) override { entries.at(static_cast<size_t>(index)).selected = on; }
    void removeFile(int index) override { entries.erase(entries.begin() + index); ++removals; }
    void focusAddButton() override { addButtonFocused = true; }
    void setWaitPointer(bool wait) override { waitPointer.push_back(wait); }
    std::int32_t hwnd() const override { return 0x1234; }
    void keepPainted() override { if (onKeepPainted) onKeepPainted(); }
    void showProgress(RunStage stage, qint64 done, qint64 total) override
    {
        reports.push_back({stage, done, total});
        if (onProgress)
            onProgress(reports.back());
    }
    // A stop is asked for from the first report of stopIn on.
    bool stopRequested() const override
    {
        return std::any_of(reports.begin(), reports.end(), [this](const Report& r) { return stopIn == r.stage; });
    }
    void deliveryBegins() override { deliveryBegun = true; }

    std::vector<Entry> entries;
    int removals = 0;
    std::vector<bool> waitPointer;
    bool addButtonFocused = false;
    std::vector<Report> reports;
    std::optional<RunStage> stopIn;
    bool deliveryBegun = false;
    // Lets a test change the world between the steps of a run, or inside one.
    std::function<void()> onKeepPainted;
    std::function<void(const Report&)> onProgress;
};

inline const QString kOutName = QStringLiteral("TMPA12320261206030405.txt");
inline const QString kSuccess = QStringLiteral("トルメアﾌｧｲﾙは2026年12月06日03時04分05秒正常に出力されました。\r\n"
                                               "出力ﾌｧｲﾙ名はTMPA12320261206030405.txtです。");

// The header line of a run over the valid settings, as the receiver reads it
// (CP932): トルメア,A123,パス,word1,reply@example.jp
inline const QByteArray kHeader
    = QByteArray::fromHex("8367838b83818341") + ",A123," + QByteArray::fromHex("83708358") + ",word1,reply@example.jp\r\n";

// A program folder with valid settings, report files and folders in a
// temporary tree; a fixed clock that a test may move.
class RunFixture : public ::testing::Test {
protected:
    void SetUp() override;

    QString at(const QString& relative) const { return m_root.filePath(relative); }
    QString outPath() const { return at(QStringLiteral("output/") + kOutName); }
    QString iniPath() const { return settings::iniPath(m_context.programFolder); }
    void writeSetting(settings::Field field, const QString& value);
    // Writes the eight settings the way the settings window saves them.
    void writeValidSettings();
    QString addReport(const QString& relativePath, const QByteArray& content);
    OutputRun& run() { return m_run ? *m_run : *(m_run = std::make_unique<OutputRun>(m_context, iniPath(), m_window)); }
    // For another run in the same test: a new run, no boxes, reports or error logs.
    void resetRun();
    // Texts of the boxes shown so far.
    QStringList boxTexts() const { return m_boxes.texts(); }
    // The error logs in the program folder, as "name: decoded record".
    QStringList errorLogs() const;
    // Everything below the work-folder setting (the runs' work folders).
    QStringList workFolders() const { return testsupport::entriesOf(at(QStringLiteral("work"))); }
    // After a run that failed at label: boxes shown, a warning last, its error
    // log, no work folder, the list kept, no focus, the pointer back. The warning's text.
    QString failed(const QString& label, size_t boxes = 1);

    QTemporaryDir m_root;
    RecordingMessageBox m_boxes;
    AppContext m_context;
    FakeOutputWindow m_window;
    QDateTime m_now{QDate(2026, 12, 6), QTime(3, 4, 5)};
    std::unique_ptr<OutputRun> m_run;
};
