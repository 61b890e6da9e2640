#include "mainwindow/ui/FileDropFilter.h"

#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

FileDropFilter::FileDropFilter(Handler handler, QObject* parent)
    : QObject(parent)
    , m_handler(std::move(handler))
{
}

void FileDropFilter::attach(QWidget& root)
{
    QList<QWidget*> widgets = root.findChildren<QWidget*>();
    widgets.prepend(&root);
    for (QWidget* widget : widgets) {
        // Popups (the window menu) are windows of their own.
        if (widget != &root && widget->isWindow())
            continue;
        widget->setAcceptDrops(true);
        widget->installEventFilter(this);
    }
}

std::optional<QStringList> FileDropFilter::droppedFiles(const QMimeData* data)
{
    if (data == nullptr || !data->hasUrls())
        return std::nullopt;
    QStringList paths;
    bool anyLocal = false;
    for (const QUrl& url : data->urls()) {
        anyLocal = anyLocal || url.isLocalFile();
        paths << (url.isLocalFile() ? url.toLocalFile() : QString());
    }
    if (!anyLocal)
        return std::nullopt;
    return paths;
}

bool FileDropFilter::eventFilter(QObject* watched, QEvent* event)
{
    Q_UNUSED(watched);
    const QEvent::Type type = event->type();
    if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
        return false;
    auto* dropEvent = static_cast<QDropEvent*>(event);
    const std::optional<QStringList> paths = droppedFiles(dropEvent->mimeData());
    if (!paths || !m_accepting || !(dropEvent->possibleActions() & Qt::CopyAction)) {
        dropEvent->ignore();
        return true;
    }
    dropEvent->setDropAction(Qt::CopyAction);
    dropEvent->accept();
    if (type == QEvent::Drop)
        QMetaObject::invokeMethod(
            this, [this, files = *paths] { m_handler(files); }, Qt::QueuedConnection);
    return true;
}
