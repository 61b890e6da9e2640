#include "test_faults_run.h"

#include "Receiver.h"

#include <QDir>
#include <QFileInfo>

QByteArray RunFaultFixture::noise(qsizetype size, quint32 seed)
{
    QByteArray bytes(size, '\0');
    for (char& byte : bytes) {
        seed = seed * 1103515245u + 12345u;
        byte = static_cast<char>(seed >> 24);
    }
    return bytes;
}

void RunFaultFixture::expectOneWarning(
    const QString& label, const QString& textStart, const QString& path)
{
    ASSERT_FALSE(m_boxes.boxes.empty());
    for (size_t i = 0; i + 1 < m_boxes.boxes.size(); ++i)
        EXPECT_EQ(m_boxes.boxes[i].kind, BoxKind::Confirmation)
            << m_boxes.boxes[i].text.toStdString();
    const auto& box = m_boxes.boxes.back();
    EXPECT_EQ(box.kind, BoxKind::Warning);
    EXPECT_TRUE(box.text.startsWith(textStart)) << box.text.toStdString();
    if (!path.isEmpty()) {
        EXPECT_TRUE(box.text.endsWith(QStringLiteral("\r\n") + path)) << box.text.toStdString();
    }
    const QStringList logs = errorLogs();
    ASSERT_EQ(logs.size(), 1) << logs.join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(logs[0].endsWith(box.text + QLatin1Char(',') + label + QStringLiteral("\r\n")))
        << logs[0].toStdString();
    EXPECT_FALSE(m_window.entries.empty());
    EXPECT_FALSE(m_window.waitPointer.back());
}

void RunFaultFixture::expectNothingPartialIn(const QString& folder, const QByteArray& complete)
{
    for (const QString& name : testsupport::entriesOf(folder)) {
        const QByteArray bytes = testsupport::readBytes(folder + QLatin1Char('/') + name);
        // Compared without printing: the files may be megabytes.
        if (name == kFaultOutName) {
            EXPECT_TRUE(bytes == complete) << "partial output of " << bytes.size() << " bytes";
        } else if (m_expectedFiles.contains(name)) {
            EXPECT_TRUE(bytes == m_expectedFiles.value(name))
                << "partial copy of " << name.toStdString() << ", " << bytes.size() << " bytes";
        } else if (name == QStringLiteral("MAIN_TEXT.txt")) {
            EXPECT_TRUE(bytes.endsWith("\r\n")) << "partial header";
        } else {
            EXPECT_TRUE(name.startsWith(QLatin1Char('.')))
                << "left in " << folder.toStdString() << ": " << name.toStdString();
        }
    }
}

void RunFaultFixture::expectRunSucceedsAgain()
{
    const QStringList staleWork = workFolders();
    const bool replacing = QFileInfo::exists(outputFile());
    m_boxes.boxes.clear();
    m_boxes.answers.clear();
    if (replacing)
        m_boxes.answers = { BoxAnswer::Yes };
    run().cmdSend_Click();

    ASSERT_EQ(m_boxes.boxes.size(), replacing ? 2u : 1u)
        << boxTexts().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(m_boxes.boxes.back().kind, BoxKind::Information)
        << m_boxes.boxes.back().text.toStdString();
    EXPECT_TRUE(m_window.entries.empty());
    // A stale work folder stays as it was; the run's own folder is gone.
    EXPECT_EQ(workFolders(), staleWork);
    const QByteArray cab = receiver::decrypt(testsupport::readBytes(outputFile()));
    ASSERT_TRUE(cab.startsWith("MSCF"));
    bool extracted = false;
    const QString scratch = at(QStringLiteral("receiver"));
    QDir().mkpath(scratch);
    const auto files = receiver::extract(cab, scratch, extracted);
    ASSERT_TRUE(extracted);
    for (auto it = m_expectedFiles.cbegin(); it != m_expectedFiles.cend(); ++it) {
        EXPECT_TRUE(files.value(it.key()) == it.value()) << "delivered " << it.key().toStdString();
    }
    EXPECT_TRUE(files.contains(QStringLiteral("MAIN_TEXT.txt")));
}
