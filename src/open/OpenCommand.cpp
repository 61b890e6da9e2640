#include "open/OpenCommand.h"

#include "open/OutputReader.h"
#include "open/Placement.h"

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

// A hostile name must not move the terminal's cursor or forge a line.
QString printable(QString name)
{
    for (QChar& c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char('?');
    }
    return name;
}

QString fileLine(qint64 size, const QString& name)
{
    return QStringLiteral("%1  %2\n").arg(size, 12).arg(printable(name));
}

bool readHeaderOrFail(const QString& folder, const QString& file, Header& header, Failure& failure)
{
    if (readHeader(folder, header))
        return true;
    failure = notAnOutput(QStringLiteral("MAIN_TEXT.txt がないか読めません"),
        QStringLiteral("no readable MAIN_TEXT.txt"), file);
    return false;
}

bool list(const Request& request, OutputReader& reader, QString& out, Failure& failure)
{
    QString folder;
    Header header;
    if (!reader.extractToTemporary(folder, failure)
        || !readHeaderOrFail(folder, request.file, header, failure))
        return false;
    out += QStringLiteral("報告ID / report ID: ") + printable(header.reportId) + QLatin1Char('\n');
    out += QStringLiteral("ユーザーID / user ID: ") + printable(header.userId) + QLatin1Char('\n');
    out += QStringLiteral("パスワード / password: ********\n");
    out += QStringLiteral("返信メールアドレス / reply address: ") + printable(header.replyAddress)
        + QLatin1Char('\n');
    for (const ArchivedFile& file : listFiles(folder))
        out += fileLine(file.size, file.name);
    return true;
}

bool extract(const Request& request, OutputReader& reader, QString& out, Failure& failure)
{
    Placement placement(*request.folder);
    Header header;
    if (!placement.prepare(failure) || !reader.extractTo(placement.stagingForComponent(), failure)
        || !readHeaderOrFail(placement.stagingPath(), request.file, header, failure))
        return false;
    // It holds the password in plain text: owner only, before it gets its name.
    const QString headerName = QString::fromLatin1(kHeaderName);
    const QList<ArchivedFile> files = listFiles(placement.stagingPath());
    QStringList names;
    for (const ArchivedFile& file : files)
        names << file.name;
    if (!placement.setMode(headerName, 0600, failure)
        || !placement.place(names, request.force, failure))
        return false;
    placement.commit();
    for (const ArchivedFile& file : files)
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
        "      prints the header (the password as ********) and every file with its size.\n"
        "  -d DIR\n"
        "      すべてのファイルを DIR（なければ作成）に書き出し、書いたものを表示します。\n"
        "      既存のファイルは上書きしません。MAIN_TEXT.txt はモード 0600 です。\n"
        "      extracts every file into DIR (created if missing) and prints what it wrote;\n"
        "      an existing file is never overwritten. MAIN_TEXT.txt gets mode 0600.\n"
        "  --force\n"
        "      -d で既存のファイルを置き換えます。 / with -d, replaces existing files.\n"
        "  --help\n"
        "      この説明 / this text\n"
        "\n"
        "終了コード / exit codes:\n"
        "  0  成功 / success\n"
        "  1  使い方の誤り / bad usage\n"
        "  2  トルメアの出力ファイルではない（大きさ、復号後の書庫の破損、チェックサム）\n"
        "     not a Tamberlox output (wrong size, damaged archive after decryption, checksum "
        "failure)\n"
        "  3  入出力の失敗（システムのメッセージとパスを表示） / an I/O failure (the system's text "
        "and the path)\n");
}

int runOpen(const QStringList& arguments, const platform::ComponentLookup& components,
    QByteArray& out, QByteArray& err)
{
    Request request;
    Failure failure;
    QString text;
    bool done = parse(arguments, request, failure);
    if (done && request.help) {
        text = helpText();
    } else if (done) {
        OutputReader reader(components);
        done = reader.open(request.file, failure)
            && (request.folder ? extract(request, reader, text, failure)
                               : list(request, reader, text, failure));
    }
    if (!done) {
        err += (QStringLiteral("tamberlox-open: ") + failure.line + QLatin1Char('\n')).toUtf8();
        return static_cast<int>(failure.code);
    }
    out += text.toUtf8();
    return static_cast<int>(ExitCode::Success);
}

} // namespace opener
