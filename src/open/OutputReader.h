#pragma once

#include "archive/Cab32Component.h"
#include "open/Failure.h"
#include "open/WorkFolder.h"
#include "platform/ComponentLookup.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

// A delivered output opened with the program's own parts: clsCryptFile
// decrypts it (file mode, the fixed pass phrase) into a file that never has
// a name, the archiver component lists and checks the cabinet it holds and
// extracts it when asked. The only folder it makes is a private work folder
// (0700, locked while it lives, removed with the reader) in the temporary
// folder; nothing is written anywhere else.
namespace opener {

// The header line of MAIN_TEXT.txt; the password is never kept.
struct Header {
    QString reportId;
    QString userId;
    QString replyAddress;
};

// A file as the cabinet lists it: its name ("/" between folders, as the
// component writes it from the stored CP932 or UTF-8 name) and its size in
// bytes as declared.
struct ArchivedFile {
    QString name;
    qint64 size = 0;
};

inline constexpr char kHeaderName[] = "MAIN_TEXT.txt";

// The long steps of a run; each asks its stop check often.
enum class Step { Decrypting, Checking, Extracting };

// True ends the step that asks; it then fails with stopped() set.
using StopCheck = std::function<bool(Step)>;

class OutputReader {
public:
    OutputReader(platform::ComponentLookup components, StopCheck stop);
    ~OutputReader();
    OutputReader(const OutputReader&) = delete;
    OutputReader& operator=(const OutputReader&) = delete;

    // Decrypts file, lists the cabinet from its directory and decompresses
    // each folder once into nothing; no file of it is extracted. False with
    // failure set: NotAnOutput for a wrong size, no cabinet, a damaged one
    // (files overlapping or past their folder's data included) or a name
    // that cannot be extracted; IoFailure when file cannot be read, the work
    // folder cannot be made or the component cannot be used.
    bool open(const QString& file, Failure& failure);

    // After open: every file, sorted by name, and their total size.
    const QList<ArchivedFile>& files() const { return m_files; }
    qint64 totalSize() const;

    // Reads MAIN_TEXT.txt into memory only. NotAnOutput when it is missing,
    // over 4096 bytes or has fewer than four fields.
    bool readHeader(Header& header, Failure& failure);

    // Extracts every file into folder, a path the component takes as is
    // (see Placement::stagingForComponent); userPath gives the user's path
    // of a name there, for the message of a failed write. The folder's
    // content after a failure is the caller's.
    bool extractTo(const QString& folder, const std::function<QString(const QString&)>& userPath,
        Failure& failure);

    // Whether the last failure came from the stop check.
    bool stopped() const { return m_stopped; }

private:
    bool decrypt(Failure& failure);
    bool checkSize(Failure& failure) const;
    bool loadComponent(Failure& failure);
    bool list(Failure& failure);
    bool componentFailure(int code, const QByteArray& text, Failure& failure) const;
    // The listed name (or the folder of one) that the component wrote as
    // stored.
    QString archivedName(const QByteArray& stored) const;
    QByteArray cabinetPath() const;
    static int askStop(void* self);
    static int addFile(void* self, const char* name, unsigned long long size);

    platform::ComponentLookup m_components;
    StopCheck m_stop;
    Step m_step = Step::Decrypting;
    bool m_stopped = false;
    archive::Cab32EntryPoints m_cab;
    int (*m_list)(
        const char*, int, int (*)(void*, const char*, unsigned long long), int (*)(void*), void*)
        = nullptr;
    int (*m_read)(
        const char*, const char*, char*, unsigned long, unsigned long long*, int (*)(void*), void*)
        = nullptr;
    WorkFolder m_work;
    platform::Handle m_cabinet;
    platform::Handle m_input;
    QString m_file;
    QList<ArchivedFile> m_files;
};

// Parses MAIN_TEXT.txt (CP932): report ID and user ID are the first two
// fields, the reply address the last (the password between them may hold
// commas). False when it has fewer than four fields.
bool parseHeader(const QByteArray& cp932, Header& header);

} // namespace opener
