#pragma once

#include "archive/Cab32Component.h"
#include "open/Failure.h"
#include "platform/ComponentLookup.h"

#include <QList>
#include <QString>
#include <QTemporaryDir>

// A delivered output opened with the program's own parts: clsCryptFile
// decrypts it (file mode, the fixed pass phrase) into a private temporary
// folder (0700, removed with the reader), the archiver component checks and
// extracts the cabinet. Nothing is written anywhere else.
namespace opener {

// The header line of MAIN_TEXT.txt; the password is never kept.
struct Header {
    QString reportId;
    QString userId;
    QString replyAddress;
};

// A file as extracted: its name ("/" between folders, as the component wrote
// it from the stored CP932 or UTF-8 name) and its size in bytes.
struct ArchivedFile {
    QString name;
    qint64 size = 0;
};

inline constexpr char kHeaderName[] = "MAIN_TEXT.txt";

class OutputReader {
public:
    explicit OutputReader(platform::ComponentLookup components);
    ~OutputReader();
    OutputReader(const OutputReader&) = delete;
    OutputReader& operator=(const OutputReader&) = delete;

    // Decrypts file and checks the cabinet it holds (headers, then every
    // checksum). False with failure set: NotAnOutput for a wrong size, no
    // cabinet or a damaged one; IoFailure when file cannot be read, the
    // temporary folder cannot be made or the component cannot be loaded.
    bool open(const QString& file, Failure& failure);

    // Extracts every file into folder, a path the component takes as is
    // (see Placement::stagingForComponent); extractToTemporary uses a folder
    // of the private temporary folder. An unsafe or clashing name is
    // NotAnOutput; the folder's content after a failure is the caller's.
    bool extractTo(const QString& folder, Failure& failure);
    bool extractToTemporary(QString& hostPath, Failure& failure);

private:
    bool decrypt(Failure& failure);
    bool checkSize(Failure& failure) const;
    bool checkCabinet(Failure& failure);

    platform::ComponentLookup m_components;
    archive::Cab32EntryPoints m_cab;
    QTemporaryDir m_temp;
    int m_tempFd = -1;
    int m_inputFd = -1;
    QString m_file;
};

// Every regular file under folder, sorted by name. Hidden names included.
QList<ArchivedFile> listFiles(const QString& folder);

// Reads MAIN_TEXT.txt (CP932) in folder: report ID and user ID are the first
// two fields, the reply address the last (the password between them may hold
// commas). False when it is missing or has fewer than four fields.
bool readHeader(const QString& folder, Header& header);

} // namespace opener
