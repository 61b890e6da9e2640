// The controls of the settings window and their places, in twips.
#include "settings/ui/PasswordLineEdit.h"
#include "settings/ui/frmIniFile.h"

#include "common/ui/Twips.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

using settings::Field;

namespace {

// Typing stops here, as the system's text boxes did.
constexpr int kTypingLimit = 255;

struct RowNames {
    const char* label;
    const char* box;
};

RowNames rowNames(Field field)
{
    switch (field) {
    case Field::Houkoku:
        return { "lblUHoukoku", "txtUHoukoku" };
    case Field::UserId:
        return { "lblUUserId", "txtUUserId" };
    case Field::Password:
        return { "lblUPassWord", "txtUPassWord" };
    case Field::MailAdress:
        return { "lblUMailAdress", "txtUMailAdress" };
    case Field::Output:
        return { "Label1", "txtSOutPut" };
    case Field::Log:
        return { "lblLog", "txtSLog" };
    case Field::TempLog:
        return { "Label14", "txtSTempLog" };
    case Field::Temp:
        return { "Label12", "txtSTemp" };
    }
    return { "", "" };
}

// The first row keeps clear of the frame's line, which Qt's styles draw
// lower than the original's frames did (a label there lost its top).
int rowTop(int rowIndex)
{
    return 345 + 345 * rowIndex;
}

} // namespace

void frmIniFile::createControls()
{
    QGroupBox* fraUser
        = createFrame(QStringLiteral("fraUser"), QStringLiteral("ユーザー設定"), 120, 1695);
    QGroupBox* fraSystem
        = createFrame(QStringLiteral("fraSystem"), QStringLiteral("システム設定"), 2040, 1695);
    int index = 0;
    for (Field field : settings::kFields) {
        const bool user = index < 4;
        createRow(user ? fraUser : fraSystem, field, rowTop(index % 4));
        ++index;
    }
    createButtons(createFrame(QStringLiteral("Frame4"), QString(), 3960, 735));
    setTabOrderOfControls();
    const qreal dpi = twips::logicalDpi(this);
    setFixedSize(twips::toPixels(7230, dpi), twips::toPixels(4920, dpi));
}

QGroupBox* frmIniFile::createFrame(const QString& name, const QString& caption, int top, int height)
{
    auto* frame = new QGroupBox(caption, this);
    frame->setObjectName(name);
    twips::place(frame, 120, top, 6975, height);
    return frame;
}

void frmIniFile::createRow(QGroupBox* frame, Field field, int top)
{
    const RowNames names = rowNames(field);
    const settings::FieldInfo& info = settings::fieldInfo(field);
    auto* label = new QLabel(info.label, frame);
    label->setObjectName(QString::fromLatin1(names.label));
    // The label spans the row up to its text box, so a wider font is never cut.
    twips::place(label, 120, top, 1620, 270);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    QLineEdit* box = field == Field::Password ? new PasswordLineEdit(frame) : new QLineEdit(frame);
    box->setObjectName(QString::fromLatin1(names.box));
    box->setValidator(new TypingLimitValidator(kTypingLimit, box));
    twips::place(box, 1800, top, info.isFolder ? 4575 : 5055, 270);
    m_boxes[static_cast<size_t>(field)] = box;
    if (!info.isFolder)
        return;
    const int index = static_cast<int>(field) - static_cast<int>(Field::Output);
    auto* browse = new QPushButton(QStringLiteral("…"), frame);
    browse->setObjectName(QStringLiteral("cmdDialog_%1").arg(index));
    browse->setAutoDefault(false);
    twips::place(browse, 6480, top, 375, 270);
    connect(browse, &QPushButton::clicked, this, [this, index] { cmdDialog_Click(index); });
    m_cmdDialog[static_cast<size_t>(index)] = browse;
}

void frmIniFile::createButtons(QGroupBox* frame)
{
    m_cmdEstablish = new QPushButton(QStringLiteral("設定"), frame);
    m_cmdEstablish->setObjectName(QStringLiteral("cmdEstablish"));
    twips::place(m_cmdEstablish, 240, 240, 975, 375);
    m_cmdEnd = new QPushButton(QStringLiteral("終了"), frame);
    m_cmdEnd->setObjectName(QStringLiteral("cmdEnd"));
    twips::place(m_cmdEnd, 5760, 240, 975, 375);
    // Enter in a text box must not press a button: the window has no default.
    m_cmdEstablish->setAutoDefault(false);
    m_cmdEnd->setAutoDefault(false);
    connect(m_cmdEstablish, &QPushButton::clicked, this, &frmIniFile::cmdEstablish_Click);
    connect(m_cmdEnd, &QPushButton::clicked, this, &QDialog::reject);
}

void frmIniFile::setTabOrderOfControls()
{
    QWidget* previous = nullptr;
    const auto chain = [&previous](QWidget* next) {
        if (previous != nullptr)
            QWidget::setTabOrder(previous, next);
        previous = next;
    };
    for (Field field : settings::kFields) {
        chain(box(field));
        if (settings::fieldInfo(field).isFolder)
            chain(m_cmdDialog[static_cast<size_t>(field) - static_cast<size_t>(Field::Output)]);
    }
    chain(m_cmdEstablish);
    chain(m_cmdEnd);
    box(Field::Houkoku)->setFocus();
}
