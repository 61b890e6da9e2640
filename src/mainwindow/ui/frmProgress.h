#pragma once

#include "mainwindow/RunProgress.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;

// The progress of a long output run: the stage in words, one bar for the
// whole run, and "中止". Modal to the main window. Esc and the close box ask
// for the stop as "中止" does; the run itself closes the window.
class frmProgress : public QDialog {
    Q_OBJECT
public:
    explicit frmProgress(QWidget* owner);

    void showProgress(RunStage stage, qint64 done, qint64 total);
    bool stopRequested() const { return m_stopRequested; }
    // From the delivery on the run completes: "中止" is no longer offered.
    void deliveryBegins();

public slots:
    void reject() override;

private:
    QLabel* m_lblStage = nullptr;
    QProgressBar* m_barRun = nullptr;
    QPushButton* m_cmdStop = nullptr;
    bool m_stopRequested = false;
};
