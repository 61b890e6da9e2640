#include "mainwindow/ui/frmProgress.h"

#include "common/ui/UiFont.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// The bar counts in thousandths of the run.
constexpr int kBarSteps = 1000;

} // namespace

frmProgress::frmProgress(QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmProgress"));
    setWindowTitle(QStringLiteral("進行状況"));
    setWindowModality(Qt::WindowModal);
    setFont(uifont::windowFont());
    m_lblStage = new QLabel(this);
    m_lblStage->setObjectName(QStringLiteral("lblStage"));
    m_barRun = new QProgressBar(this);
    m_barRun->setObjectName(QStringLiteral("barRun"));
    m_barRun->setRange(0, kBarSteps);
    m_cmdStop = new QPushButton(QStringLiteral("中止"), this);
    m_cmdStop->setObjectName(QStringLiteral("cmdStop"));
    m_cmdStop->setAutoDefault(false);
    connect(m_cmdStop, &QPushButton::clicked, this, &frmProgress::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cmdStop);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_lblStage);
    layout->addWidget(m_barRun);
    layout->addLayout(buttons);
    setMinimumWidth(360);
    setFixedHeight(sizeHint().height());
}

void frmProgress::showProgress(RunStage stage, qint64 done, qint64 total)
{
    if (!m_stopRequested)
        m_lblStage->setText(stageText(stage));
    const qint64 steps = total > 0 ? done * kBarSteps / total : 0;
    m_barRun->setValue(static_cast<int>(std::clamp<qint64>(steps, 0, kBarSteps)));
}

void frmProgress::deliveryBegins()
{
    m_cmdStop->setEnabled(false);
}

void frmProgress::reject()
{
    // Never closes itself: the run decides when it can stop.
    if (!m_cmdStop->isEnabled())
        return;
    m_stopRequested = true;
    m_cmdStop->setEnabled(false);
    // Said at once: the run stops at its next check, within a moment.
    m_lblStage->setText(QStringLiteral("中止しています…"));
}
