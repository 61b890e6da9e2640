#include "common/ui/frmAbout.h"

#include "common/MessageBoxes.h"
#include "common/ui/Twips.h"
#include "common/ui/UiFont.h"
#include "platform/NativeUi.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include <array>

namespace {

QString withSignPosition(int number)
{
    return number < 0 ? QString::number(number) : QLatin1Char(' ') + QString::number(number);
}

QLabel* newLabel(QWidget* parent, const QString& name, const QString& caption)
{
    auto* label = new QLabel(caption, parent);
    label->setObjectName(name);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

QString aboutVersionText(int major, int minor, int revision)
{
    return withSignPosition(major) + QLatin1Char('.') + withSignPosition(minor)
        + withSignPosition(revision);
}

frmAbout::frmAbout(const QIcon& icon, QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setFont(uifont::windowFont());
    createControls();
    placeControls();
    Form_Load(icon);
}

void frmAbout::createControls()
{
    // Created in tab order.
    m_cmdOK = new QPushButton(QStringLiteral("OK"), this);
    m_cmdOK->setObjectName(QStringLiteral("cmdOK"));
    m_cmdOK->setDefault(true);
    connect(m_cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    m_picIcon = newLabel(this, QStringLiteral("picIcon"), QString());
    m_lblTitle = newLabel(this, QStringLiteral("lblTitle"), QStringLiteral("ｱﾌﾟﾘｹｰｼｮﾝ ﾀｲﾄﾙ"));
    m_lblVersion = newLabel(this, QStringLiteral("lblVersion"), QStringLiteral("ﾊﾞｰｼﾞｮﾝ"));
    m_label2 = newLabel(this, QStringLiteral("Label2"), QStringLiteral("アプリケーション"));
    m_label3 = newLabel(this, QStringLiteral("Label3"), QStringLiteral("バージョン"));
}

void frmAbout::placeControls()
{
    twips::place(m_cmdOK, 1800, 1800, 1380, 345);
    twips::place(m_picIcon, 120, 240, 540, 540);
    twips::place(m_lblTitle, 2640, 120, 2085, 360);
    twips::place(m_lblVersion, 2640, 600, 2085, 345);
    twips::place(m_label2, 840, 120, 1575, 255);
    twips::place(m_label3, 840, 600, 1575, 255);
    const qreal dpi = twips::logicalDpi(this);
    setFixedSize(twips::toPixels(4815, dpi), twips::toPixels(2295, dpi));
}

void frmAbout::Form_Load(const QIcon& icon)
{
    // The version the executable itself carries.
    const std::array<int, 4> version = platform::programVersion();
    m_lblVersion->setText(aboutVersionText(version[0], version[1], version[3]));
    m_lblTitle->setText(kAppCaption);
    // A 16x16 icon drawn at the system icon size, pixel for pixel doubled.
    const QPixmap small = icon.pixmap(16, 16);
    m_picIcon->setPixmap(small.scaled(32, 32, Qt::IgnoreAspectRatio, Qt::FastTransformation));
}
