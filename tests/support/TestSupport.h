#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <vector>

#include "common/MessageBoxes.h"

#include <ostream>

// Readable texts in failure reports.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

// Records every box (kind, title, text) and answers from a script; a box
// with no scripted answer gets Ok or No. onShow runs as a box opens.
class RecordingMessageBox : public IMessageBox {
public:
    struct Box {
        BoxKind kind;
        QString title;
        QString text;
    };

    BoxAnswer show(BoxKind kind, const QString& text) override
    {
        if (onShow)
            onShow(kind);
        boxes.push_back({kind, boxTitle(kind), text});
        if (!answers.empty()) {
            const BoxAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return boxHasYesNo(kind) ? BoxAnswer::No : BoxAnswer::Ok;
    }

    std::vector<Box> boxes;
    std::deque<BoxAnswer> answers;
    std::function<void(BoxKind)> onShow;
};

namespace testsupport {

// The whole file as bytes; empty when it cannot be read.
QByteArray readBytes(const QString& path);

// Writes bytes to a new file (parent folders created); false on failure.
bool writeBytes(const QString& path, const QByteArray& bytes);

// Names in a folder, hidden ones included, sorted.
QStringList entriesOf(const QString& folder);

// Runs a program and returns its exit code (-1 when it did not start);
// standard output and error are collected into output.
int runProgram(const QString& program, const QStringList& arguments, QByteArray* output = nullptr,
               const QString& workingFolder = QString());

// Permission bits of a file (st_mode & 0777), or ~0u when it is missing.
unsigned fileMode(const QString& path);

} // namespace testsupport
