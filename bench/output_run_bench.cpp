// One whole output run over the files named on the command line, in a fresh
// program folder under the given scratch folder. Prints the run's wall time.
// Not a test: bench/output_run_vs_gcab.sh drives it.
#include "crypto/PassPhrase.h"
#include "crypto/clsCryptFile.h"
#include "mainwindow/OutputRun.h"
#include "platform/Folders.h"
#include "settings/SettingsModel.h"
#include "settings/clsIniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <cstdio>

namespace {

class ListWindow : public IOutputWindow {
public:
    explicit ListWindow(QStringList files) : m_files(std::move(files)) {}
    int fileCount() const override { return static_cast<int>(m_files.size()); }
    QString filePath(int index) const override { return m_files.at(index); }
    void setFileSelected(int, bool) override {}
    void removeFile(int index) override { m_files.removeAt(index); }
    void focusAddButton() override {}
    void setWaitPointer(bool) override {}
    std::int32_t hwnd() const override { return 0; }

private:
    QStringList m_files;
};

class PrintingBoxes : public IMessageBox {
public:
    BoxAnswer show(BoxKind kind, const QString& text) override
    {
        std::fprintf(stderr, "[box %d] %s\n", boxStyle(kind), qPrintable(text));
        return BoxAnswer::Yes;
    }
};

bool writeSettings(const QString& ini, const QString& scratch, const AppContext& context)
{
    clsCryptFile::Environment environment;
    environment.componentLookup = context.components;
    clsCryptFile crypt(environment);
    crypt.setInFile(QStringLiteral("bench"));
    crypt.setPassword(passPhrase());
    if (!crypt.Encrypt(1))
        return false;
    using namespace settings;
    const QString stored = crypt.OutFile().remove(QStringLiteral("\r\n"));
    const QList<std::pair<Field, QString>> values{
        {Field::Houkoku, QStringLiteral("トルメア")}, {Field::UserId, QStringLiteral("B01")},
        {Field::Password, stored}, {Field::MailAdress, QStringLiteral("a@b.jp")},
        {Field::Output, scratch}, {Field::Log, scratch}, {Field::TempLog, scratch},
        {Field::Temp, scratch}};
    clsIniFile file;
    for (const auto& [field, value] : values)
        if (!file.WriteIniValue(value, fieldInfo(field).section, fieldInfo(field).key, ini))
            return false;
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: output_run_bench SCRATCH FILE...\n");
        return 2;
    }
    const QString scratch = args.takeFirst();
    PrintingBoxes boxes;
    AppContext context = AppContext::forProcess(&boxes);
    context.programFolder = scratch;
    const QString ini = settings::iniPath(scratch);
    if (!writeSettings(ini, scratch, context))
        return 1;
    ListWindow window(args);
    OutputRun run(context, ini, window);
    QElapsedTimer timer;
    timer.start();
    run.cmdSend_Click();
    std::printf("%.3f\n", static_cast<double>(timer.elapsed()) / 1000.0);
    return window.fileCount() == 0 ? 0 : 1;
}
