#pragma once

// The output run on a failing machine: what every fault test checks after
// the fault, and the run that must succeed once the fault is gone.
#include "RunFixture.h"
#include "test_faults_machine.h"

#include <QByteArray>
#include <QString>

inline const QString kFaultOutName = QStringLiteral("TMPA12320261206030405.txt");

class RunFaultFixture : public RunFixture {
protected:
    // Incompressible bytes, the same for the same seed.
    static QByteArray noise(qsizetype size, quint32 seed = 12345);

    QString outputFile() const { return at(QStringLiteral("output/") + kFaultOutName); }

    // The user saw one warning (after the scripted questions), its text
    // starts with textStart and names path when given; one error log
    // carries it with label; the list is untouched.
    void expectOneWarning(
        const QString& label, const QString& textStart, const QString& path = QString());

    // No entry of folder is partial under a final name: apart from
    // kFaultOutName, whose bytes must equal complete, and whole copies of
    // the listed files, only hidden temporary names may be there.
    void expectNothingPartialIn(const QString& folder, const QByteArray& complete = QByteArray());

    // The run again, once the fault is gone: the success box (after a
    // replace question when an output is there) and an output the receiver
    // reads back with the listed files. Leftovers of the failed run (a
    // stale work folder) must not disturb it.
    void expectRunSucceedsAgain();

    // The listed files as the receiver should find them, by staged name.
    QMap<QString, QByteArray> m_expectedFiles;
};
