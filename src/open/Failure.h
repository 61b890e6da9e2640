#pragma once

#include <QString>

// How tamberlox-open ends, and the one line it prints on failure.
namespace opener {

enum class ExitCode : int {
    Success = 0,
    Usage = 1, // bad command line
    NotAnOutput = 2, // not a Tamberlox output: wrong size, no cabinet, damaged, unsafe name
    IoFailure = 3, // reading, writing or a component failed (the system's text and the path)
};

struct Failure {
    ExitCode code = ExitCode::Success;
    QString line; // Japanese, then English; without the program's name
};

// "トルメアの出力ファイルではありません（reasonJa） / not a Tamberlox output (reasonEn): file"
Failure notAnOutput(const QString& reasonJa, const QString& reasonEn, const QString& file);

// "whatJa / whatEn: path: detail" (detail omitted when empty).
Failure ioFailure(
    const QString& whatJa, const QString& whatEn, const QString& path, const QString& detail);

// ioFailure with the system's text for errorNumber as the detail.
Failure systemFailure(
    const QString& whatJa, const QString& whatEn, const QString& path, int errorNumber);

// Sets failure to value and returns false, for "return fail(...)".
inline bool fail(Failure& failure, Failure value)
{
    failure = std::move(value);
    return false;
}

} // namespace opener
