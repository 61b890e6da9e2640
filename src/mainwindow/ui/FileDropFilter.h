#pragma once

#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

class QMimeData;
class QWidget;

// Routes file drops on a window and on every control in it to one handler,
// as the window's controls all handed their drops to the window. Dropped
// text and other data are refused everywhere, so no control takes a file
// manager's plain-text copy of the paths for itself. A drop is always taken
// as a copy, never a move: a source that honours a move would delete the
// user's report.
class FileDropFilter : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(const QStringList& paths)>;

    // handler gets the dropped paths in the order of the drop, after the
    // drop event has returned (a box shown inside it would hold the drag
    // source).
    FileDropFilter(Handler handler, QObject* parent);

    // root and every widget inside it (a list's viewport included) accept
    // drops through this filter.
    void attach(QWidget& root);

    // The local paths of a file drop (an entry that is no local file gives
    // an empty path); nullopt when the data carries no file list.
    static std::optional<QStringList> droppedFiles(const QMimeData* data);

    // While false (an output run is going on) every drop is refused, so the
    // drag source knows nothing was taken.
    void setAccepting(bool accepting) { m_accepting = accepting; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Handler m_handler;
    bool m_accepting = true;
};
