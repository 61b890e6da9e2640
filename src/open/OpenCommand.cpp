#include "open/OpenCommand.h"

#include "open/OutputReader.h"
#include "open/Placement.h"
#include "open/StopSignals.h"
#include "platform/OpenSupport.h"
#include "platform/SystemError.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <optional>

namespace opener {
namespace {

struct Request {
    QString file;
    std::optional<QString> folder;
    bool force = false;
    bool help = false;
};

Failure badUsage(const QString& argument)
{
    QString line
        = QStringLiteral("使い方が正しくありません（--help を参照） / bad usage (see --help)");
    if (!argument.isEmpty())
        line += QStringLiteral(": ") + argument;
    return { ExitCode::Usage, line };
}

bool parse(const QStringList& arguments, Request& request, Failure& failure)
{
    bool optionsEnded = false;
    bool haveFile = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (!optionsEnded && argument == QStringLiteral("--help")) {
            request.help = true;
            return true;
        }
        if (!optionsEnded && argument == QStringLiteral("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && argument == QStringLiteral("--force")) {
            request.force = true;
        } else if (!optionsEnded && argument == QStringLiteral("-d")) {
            if (request.folder || i + 1 >= arguments.size() || arguments[i + 1].isEmpty())
                return fail(failure, badUsage(argument));
            request.folder = arguments[++i];
        } else if ((!optionsEnded && argument.startsWith(QLatin1Char('-'))) || haveFile
            || argument.isEmpty()) {
            return fail(failure, badUsage(argument));
        } else {
            request.file = argument;
            haveFile = true;
        }
    }
    if (!haveFile)
        return fail(failure, badUsage(QString()));
    if (request.force && !request.folder)
        return fail(failure, badUsage(QStringLiteral("--force")));
    return true;
}

// A hostile name must not move the terminal's cursor, forge a line or turn
// the text around: C0 and C1 controls, bidirectional marks, embeddings,
// overrides and isolates, and line and paragraph separators.
QString printable(QString name)
{
    for (QChar& c : name) {
        const char16_t u = c.unicode();
        if (u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x061C || u == 0x200E || u == 0x200F
            || (u >= 0x2028 && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069))
            c = QLatin1Char('?');
    }
    return name;
}

QString fileLine(qint64 size, const QString& name)
{
    return QStringLiteral("%1  %2\n").arg(size, 12).arg(printable(name));
}

// Free bytes where folder is or will be made; -1 when unknown.
qint64 freeSpace(const QString& folder)
{
    QString path = QDir::cleanPath(QDir().absoluteFilePath(folder));
    int error = 0;
    qint64 free = 0;
    while ((free = platform::freeBytes(path, error)) < 0) {
        const QString parent = QFileInfo(path).path();
        if (error != ENOENT || parent == path)
            return -1;
        path = parent;
    }
    return free;
}

// The sizes the cabinet declares are checked against the folder's file
// system before anything is written there.
bool checkSpace(const QString& folder, qint64 needed, const OpenHooks& hooks, Failure& failure)
{
    const qint64 free = hooks.freeSpace ? hooks.freeSpace(folder) : freeSpace(folder);
    if (free < 0 || needed <= free)
        return true;
    failure = ioFailure(QStringLiteral("書き込めません"), QStringLiteral("cannot write"), folder,
        QStringLiteral("%1（%2 バイト必要、空き %3 バイト / %2 bytes needed, %3 free）")
            .arg(platform::systemErrorText(ENOSPC))
            .arg(needed)
            .arg(free));
    return false;
}

bool list(OutputReader& reader, QString& out, Failure& failure)
{
    Header header;
    if (!reader.readHeader(header, failure))
        return false;
    out += QStringLiteral("報告ID / report ID: ") + printable(header.reportId) + QLatin1Char('\n');
    out += QStringLiteral("ユーザーID / user ID: ") + printable(header.userId) + QLatin1Char('\n');
    out += QStringLiteral("パスワード / password: ********\n");
    out += QStringLiteral("返信メールアドレス / reply address: ") + printable(header.replyAddress)
        + QLatin1Char('\n');
    for (const ArchivedFile& file : reader.files())
        out += fileLine(file.size, file.name);
    return true;
}

bool extract(const Request& request, OutputReader& reader, unsigned userMask,
    const OpenHooks& hooks, QString& out, Failure& failure)
{
    Header header;
    if (!reader.readHeader(header, failure)
        || !checkSpace(*request.folder, reader.totalSize(), hooks, failure))
        return false;
    Placement placement(*request.folder, userMask);
    if (!placement.prepare(failure)
        || !reader.extractTo(
            placement.stagingForComponent(),
            [&](const QString& name) { return placement.finalPath(name); }, failure))
        return false;
    // MAIN_TEXT.txt holds the password in plain text: it stays owner only.
    const QString headerName = QString::fromLatin1(kHeaderName);
    QStringList names;
    for (const ArchivedFile& file : reader.files()) {
        names << file.name;
        if (!placement.release(file.name, file.name == headerName, failure))
            return false;
    }
    // A signal during the placement undoes it.
    if (!placement.place(names, request.force, failure) || caughtSignal() != 0)
        return false;
    placement.commit();
    for (const ArchivedFile& file : reader.files())
        out += fileLine(file.size, placement.finalPath(file.name));
    return true;
}

} // namespace

QString helpText()
{
    return QStringLiteral(
        "使い方 / usage: tamberlox-open [-d DIR [--force]] FILE\n"
        "\n"
        "トルメアの出力ファイル FILE（TMP + ユーザーID + 日時 + .txt）を復号して中を見ます。\n"
        "Decrypts FILE, a Tamberlox output (TMP + user ID + date-time + .txt), and shows what it "
        "holds.\n"
        "\n"
        "  FILE だけ / FILE alone\n"
        "      ヘッダ（パスワードは ********）と各ファイルの大きさ・名前を表示します。\n"
        "      書庫の目録から読み、何も展開しません。\n"
        "      prints the header (the password as ********) and every file with its size,\n"
        "      from the archive's directory; nothing is extracted.\n"
        "  -d DIR\n"
        "      すべてのファイルを DIR（なければ作成）に書き出し、書いたものを表示します。\n"
        "      既存のファイルは上書きしません。MAIN_TEXT.txt はモード 0600 です。\n"
        "      書庫が示す大きさが DIR の空き容量を超えるときは何も書きません。\n"
        "      extracts every file into DIR (created if missing) and prints what it wrote;\n"
        "      an existing file is never overwritten. MAIN_TEXT.txt gets mode 0600.\n"
        "      Nothing is written when the sizes the archive declares exceed DIR's free space.\n"
        "  --force\n"
        "      -d で既存のファイルを置き換えます。 / with -d, replaces existing files.\n"
        "  --help\n"
        "      この説明 / this text\n"
        "\n"
        "終了コード / exit codes:\n"
        "  0  成功 / success\n"
        "  1  使い方の誤り / bad usage\n"
        "  2  トルメアの出力ファイルではない（大きさ、復号後の書庫の破損、チェックサム、\n"
        "     重なるファイル、取り出せない名前）\n"
        "     not a Tamberlox output (wrong size, damaged archive after decryption, checksum "
        "failure,\n"
        "     overlapping files, a name that cannot be extracted)\n"
        "  3  入出力の失敗（システムのメッセージとパスを表示） / an I/O failure (the system's text "
        "and the path)\n"
        "  128+N  シグナル N（SIGINT、SIGTERM、SIGHUP）で中止、作ったものはすべて削除\n"
        "         stopped by signal N (SIGINT, SIGTERM, SIGHUP); everything it made is removed\n");
}

int runOpen(const QStringList& arguments, const platform::ComponentLookup& components,
    QByteArray& out, QByteArray& err, const OpenHooks& hooks)
{
    Request request;
    Failure failure;
    QString text;
    bool done = parse(arguments, request, failure);
    if (done && request.help) {
        text = helpText();
    } else if (done) {
        const StopSignals stopSignals;
        // Owner only from creation on, the component's files included; a
        // placed file gets the mode the user's umask gives.
        const unsigned userMask = platform::exchangeCreationMask(077);
        {
            OutputReader reader(components, [&](Step step) {
                if (hooks.progress)
                    hooks.progress(step);
                return caughtSignal() != 0;
            });
            done = reader.open(request.file, failure)
                && (request.folder ? extract(request, reader, userMask, hooks, text, failure)
                                   : list(reader, text, failure));
        }
        platform::exchangeCreationMask(userMask);
        // What it made is gone by now.
        if (!done && caughtSignal() != 0)
            return 128 + caughtSignal();
    }
    if (!done) {
        // The line may carry a name from the archive.
        err += (QStringLiteral("tamberlox-open: ") + printable(failure.line) + QLatin1Char('\n'))
                   .toUtf8();
        return static_cast<int>(failure.code);
    }
    out += text.toUtf8();
    return static_cast<int>(ExitCode::Success);
}

} // namespace opener
