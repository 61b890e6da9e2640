// The controls of the main window and their places, in twips.
#include "mainwindow/ui/frmTamberlox_01.h"

#include "common/ui/Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

void frmTamberlox_01::createControls()
{
    // Created in tab order; the frame and the labels take no focus.
    m_frame1 = new QGroupBox(QStringLiteral("暗号化指定ﾌｧｲﾙ"), this);
    m_frame1->setObjectName(QStringLiteral("Frame1"));
    twips::place(m_frame1, 120, 960, 6015, 4095);
    QLabel* label3 = newLabel(
        m_frame1, QStringLiteral("Label3"), QStringLiteral("暗号化するトルメアﾌｧｲﾙを指定します。"));
    twips::place(label3, 120, 360, 5775, 375);
    m_cmdAdd = newButton(m_frame1, QStringLiteral("cmdAdd"), QStringLiteral("ﾌｧｲﾙ追加"));
    twips::place(m_cmdAdd, 120, 720, 2775, 495);
    m_cmdDelete = newButton(m_frame1, QStringLiteral("cmdDelete"), QStringLiteral("ﾌｧｲﾙ削除"));
    twips::place(m_cmdDelete, 3000, 720, 2895, 495);
    QLabel* label1 = newLabel(m_frame1, QStringLiteral("Label1"), QStringLiteral("対象ﾌｧｲﾙ一覧"));
    twips::place(label1, 120, 1320, 5775, 255);
    m_lstFile = new QListWidget(m_frame1);
    m_lstFile->setObjectName(QStringLiteral("lstFile"));
    m_lstFile->setSelectionMode(QAbstractItemView::ExtendedSelection);
    // A right click on a control is not one on the window's background.
    m_lstFile->setContextMenuPolicy(Qt::PreventContextMenu);
    twips::place(m_lstFile, 120, 1560, 5775, 2400);
    m_cmdSend = newButton(this, QStringLiteral("cmdSend"), QStringLiteral("出力"));
    twips::place(m_cmdSend, 120, 120, 6015, 735);
    QWidget::setTabOrder(m_cmdAdd, m_cmdDelete);
    QWidget::setTabOrder(m_cmdDelete, m_lstFile);
    QWidget::setTabOrder(m_lstFile, m_cmdSend);
    m_cmdAdd->setFocus();
    const qreal dpi = twips::logicalDpi(this);
    setFixedSize(twips::toPixels(6255, dpi), twips::toPixels(5175, dpi));
}

QPushButton* frmTamberlox_01::newButton(
    QWidget* parent, const QString& name, const QString& caption)
{
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setContextMenuPolicy(Qt::PreventContextMenu);
    return button;
}

QLabel* frmTamberlox_01::newLabel(QWidget* parent, const QString& name, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}
