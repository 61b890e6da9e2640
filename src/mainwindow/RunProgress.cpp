#include "mainwindow/RunProgress.h"

#include <algorithm>

QString stageText(RunStage stage)
{
    switch (stage) {
    case RunStage::Preparing:
        return QStringLiteral("ファイルを準備中");
    case RunStage::Compressing:
        return QStringLiteral("圧縮中");
    case RunStage::Encrypting:
        return QStringLiteral("暗号化中");
    case RunStage::Delivering:
        return QStringLiteral("出力中");
    case RunStage::Logging:
        return QStringLiteral("ログを作成中");
    }
    return QString();
}

RunMeter::RunMeter(qint64 listedBytes)
    : m_listed(std::max<qint64>(listedBytes, 0))
    , m_archive(m_listed)
{
}

void RunMeter::setArchiveBytes(qint64 bytes)
{
    m_archive = std::max<qint64>(bytes, 0);
}

qint64 RunMeter::shareOf(RunStage stage) const
{
    return stage == RunStage::Encrypting || stage == RunStage::Delivering ? m_archive : m_listed;
}

qint64 RunMeter::doneAt(RunStage stage, qint64 doneInStage, bool finished) const
{
    qint64 done = 0;
    for (int earlier = 0; earlier < static_cast<int>(stage); ++earlier)
        done += shareOf(static_cast<RunStage>(earlier));
    return done + std::clamp<qint64>(doneInStage, 0, shareOf(stage)) + (finished ? 1 : 0);
}

qint64 RunMeter::total() const
{
    return doneAt(RunStage::Logging, m_listed, true);
}
