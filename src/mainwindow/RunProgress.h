#pragma once

#include <QString>
#include <QtGlobal>

// The stages of an output run as the progress display names them.
enum class RunStage { Preparing, Compressing, Encrypting, Delivering, Logging };

// The stage in words, as the progress window shows it.
QString stageText(RunStage stage);

// Bytes of the whole run. Staging, archiving and the attachment log count
// the listed files' bytes; encryption and delivery the archive's, taken to
// be as large until the archive exists. One unit more stands for the run
// log, so that only the end of a run reaches the total.
class RunMeter {
public:
    explicit RunMeter(qint64 listedBytes = 0);

    // Once the archive exists; the total changes with it.
    void setArchiveBytes(qint64 bytes);

    // The run's bytes done when doneInStage bytes of stage are done (cut to
    // the stage's share). finished: the run log is written as well.
    qint64 doneAt(RunStage stage, qint64 doneInStage, bool finished = false) const;
    qint64 total() const;

private:
    qint64 shareOf(RunStage stage) const;

    qint64 m_listed;
    qint64 m_archive;
};
