#pragma once

#include <QByteArray>
#include <QDir>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QSysInfo>
#include <deque>
#include <functional>
#include <vector>

#include "common/MessageBoxes.h"

#include <ostream>

#include <gtest/gtest.h>

// Readable texts in failure reports.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

// Records every box (kind, text) and answers from a script; a box with no
// scripted answer gets Ok or No. onShow runs as a box opens.
class RecordingMessageBox : public IMessageBox {
public:
    struct Box {
        BoxKind kind;
        QString text;
    };

    BoxAnswer show(BoxKind kind, const QString& text) override
    {
        if (onShow)
            onShow(kind);
        boxes.push_back({kind, text});
        if (!answers.empty()) {
            const BoxAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return boxHasYesNo(kind) ? BoxAnswer::No : BoxAnswer::Ok;
    }

    QStringList texts() const
    {
        QStringList all;
        for (const Box& box : boxes)
            all << box.text;
        return all;
    }

    std::vector<Box> boxes;
    std::deque<BoxAnswer> answers;
    std::function<void(BoxKind)> onShow;
};

namespace testsupport {

// The Windows build: rows whose expectation differs there say why.
inline bool onWindows()
{
    return QSysInfo::kernelType() == QLatin1String("winnt");
}

// The current folder for a scope; the previous one comes back also when an
// assertion ends the test early.
class CurrentFolder {
public:
    explicit CurrentFolder(const QString& folder) : m_previous(QDir::currentPath())
    {
        EXPECT_TRUE(QDir::setCurrent(folder)) << folder.toStdString();
    }
    ~CurrentFolder() { QDir::setCurrent(m_previous); }

private:
    QString m_previous;
};

// The whole file as bytes; empty when it cannot be read.
QByteArray readBytes(const QString& path);

// Writes bytes to a new file (parent folders created); false on failure.
bool writeBytes(const QString& path, const QByteArray& bytes);

// Names in a folder, hidden ones included, sorted.
QStringList entriesOf(const QString& folder);

// Every file under folder, hidden ones included: relative path -> contents;
// empty when the folder is missing.
QMap<QString, QByteArray> filesUnder(const QString& folder);

// Runs a program and returns its exit code (-1 when it did not start);
// standard output and error are collected into output.
int runProgram(const QString& program, const QStringList& arguments, QByteArray* output = nullptr,
               const QString& workingFolder = QString());

// Runs one of the independent Linux readers (cabextract, bsdtar, openssl)
// as runProgram does. The Windows build under Wine runs the same Linux
// program, which Wine starts natively: the tool is named by its Linux path
// and paths on drive Z: (Wine's "/") are handed over as Linux paths.
int runLinuxTool(const QString& tool, const QStringList& arguments, QByteArray* output = nullptr);

// A symbolic link at link to target. Under Wine CreateSymbolicLink reports
// success and makes nothing, so the link is made by Linux's ln, which Wine
// then shows as a reparse point, as Windows shows a symbolic link.
bool makeLink(const QString& target, const QString& link);

// The receiver's extractor: cabextract, names read as CP932, into folder.
int cabextract(const QString& archive, const QString& folder, QByteArray* output = nullptr);

// RC4 as CryptoAPI's base provider runs it (the 5 key bytes, then 11 zero
// bytes of salt), written out here apart from the code under test.
QByteArray rc4(const QByteArray& key5, QByteArray data);

// Runs body in a forked child, which exits with 0 when body answers true
// and 1 otherwise; the child's wait status, or -1 when there was no child.
int statusOfChild(const std::function<bool()>& body);

// Permission bits of a file (st_mode & 0777), or ~0u when it is missing.
unsigned fileMode(const QString& path);

// Whether a file the program made is for the owner only. Linux: mode 0600.
// Windows: the file carries no ACL of its own and takes the inherited ACL of
// the user's profile folders it is made in, so what can be checked is that
// it is there and writable, not read-only. (Wine keeps no ACL: its Unix
// file gets the mode of the umask.)
bool isPrivate(const QString& path);

} // namespace testsupport
