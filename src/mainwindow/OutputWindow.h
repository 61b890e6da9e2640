#pragma once

#include "mainwindow/RunProgress.h"

#include <QString>
#include <cstdint>

// What the output run needs of the main window, so that the run works and
// is tested without a display.
class IOutputWindow {
public:
    virtual ~IOutputWindow() = default;

    // The file list: full paths in list order, with selection marks.
    virtual int fileCount() const = 0;
    virtual QString filePath(int index) const = 0;
    virtual void setFileSelected(int index, bool selected) = 0;
    virtual void removeFile(int index) = 0;

    virtual void focusAddButton() = 0;
    virtual void setWaitPointer(bool wait) = 0;

    // The window handle handed to the archiver.
    virtual std::int32_t hwnd() const = 0;

    // Called between pieces of long work, so the window can repaint while
    // refusing user input.
    virtual void keepPainted() {}

    // Progress of the whole run (done of total bytes, see RunMeter) and the
    // stage it is in; called often, the window decides what to show when.
    // The end of a successful run, and only that, reports done == total.
    virtual void showProgress(RunStage stage, qint64 done, qint64 total)
    {
        Q_UNUSED(stage);
        Q_UNUSED(done);
        Q_UNUSED(total);
    }
    // True once the user asked the run to stop. Asked at the safe points
    // before the delivery; from the delivery on the run no longer asks.
    virtual bool stopRequested() const { return false; }
    // The delivery begins: a stop can no longer be offered.
    virtual void deliveryBegins() {}
    // A box of the run is about to show: no progress window may stay
    // behind it, greyed out and short of the end.
    virtual void boxShows() {}
};
