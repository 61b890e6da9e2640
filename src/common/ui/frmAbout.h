#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The program's version as frmAbout writes it: each number with a position
// for its sign (a blank, or "-"), major "." minor revision: " 1. 1 0".
QString aboutVersionText(int major, int minor, int revision);

// The version-information window: the program's title and version beside
// the main window's icon. Shown modally; OK, Enter, Esc and the close box
// close it.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    // icon: the main window's icon.
    explicit frmAbout(const QIcon& icon, QWidget* parent = nullptr);

private:
    void createControls();
    void placeControls();
    void Form_Load(const QIcon& icon);

    QPushButton* m_cmdOK = nullptr;
    QLabel* m_picIcon = nullptr;
    QLabel* m_lblTitle = nullptr;
    QLabel* m_lblVersion = nullptr;
    QLabel* m_label2 = nullptr;
    QLabel* m_label3 = nullptr;
};
