#pragma once

// Ways to make the machine fail under the real code, shared by the fault
// tests of the settings save and of the output run. Each fault holds for
// the life of its object and is undone by its destructor.

#include <QByteArray>
#include <QString>

#include <functional>
#include <ostream>
#include <signal.h>
#include <sys/resource.h>
#include <sys/types.h>

// Readable texts in failure reports.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

namespace faults {

// A tmpfs of the given size mounted on folder. Needs mount rights (root);
// when refused, mounted() is false and reason() says why.
class Tmpfs {
public:
    Tmpfs(const QString& folder, const QByteArray& size);
    ~Tmpfs();
    Tmpfs(const Tmpfs&) = delete;
    Tmpfs& operator=(const Tmpfs&) = delete;

    bool mounted() const { return m_mounted; }
    QString reason() const { return m_reason; }
    // Grows or shrinks the file system in place; its files stay.
    bool resize(const QByteArray& size);

private:
    QByteArray m_folder;
    bool m_mounted = false;
    QString m_reason;
};

// Fills the file system holding folder until at most leaveBytes are free,
// with one file named filler. Returns its path, or an empty text on failure.
QString fillUp(const QString& folder, qint64 leaveBytes);

// Free bytes of the file system holding path, -1 on failure.
qint64 freeBytes(const QString& path);

// A folder nobody may write into any more, not even root: a read-only bind
// mount of the folder on itself when mount rights exist, else the immutable
// attribute (chattr +i) where the file system and the rights allow it, else
// (not root) mode 0555. active() is false with reason() when none works.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString& folder);
    ~ReadOnlyFolder();
    ReadOnlyFolder(const ReadOnlyFolder&) = delete;
    ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

    bool active() const { return m_how != How::None; }
    QString reason() const { return m_reason; }
    // The text the system gives for a write refused this way.
    QString refusal() const;
    void restore();

private:
    enum class How { None, Mount, Immutable, Mode };
    QByteArray m_folder;
    How m_how = How::None;
    mode_t m_mode = 0;
    QString m_reason;
};

// The injected writer: every write past limit bytes of any file fails with
// EFBIG (RLIMIT_FSIZE, SIGXFSZ ignored), for the whole process. Needs no
// rights, so it stands in for a full disk where no tmpfs can be mounted.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit m_previous {};
    struct sigaction m_previousAction { };
};

// A forked child running body, then _exit(0). The parent stops and kills it.
class Child {
public:
    explicit Child(const std::function<void()>& body);
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    bool started() const { return m_pid > 0; }
    void stop();
    // SIGKILL and reap; returns the signal that ended it (0 if it exited).
    int kill();

private:
    pid_t m_pid = -1;
};

// Reports entries created in one folder (inotify), oldest first.
class CreationWatch {
public:
    explicit CreationWatch(const QString& folder);
    ~CreationWatch();
    CreationWatch(const CreationWatch&) = delete;
    CreationWatch& operator=(const CreationWatch&) = delete;

    bool valid() const { return m_fd >= 0; }
    // Blocks until an entry whose name starts with prefix is created, or
    // giveUpMs passes (a guard against a hang, not a measure). Returns its
    // name, or an empty text.
    QString next(const QString& prefix, int giveUpMs = 120000);

private:
    int m_fd = -1;
    QByteArray m_pending;
};

} // namespace faults
