#pragma once

#include "common/AppContext.h"
#include "common/FolderPicker.h"
#include "settings/SettingsModel.h"

#include <QDialog>
#include <array>

class QGroupBox;
class QKeyEvent;
class QLineEdit;
class QPushButton;

// The settings window: shows the eight settings of TAMBERLOX.INI, lets the
// user pick the four folders, checks the values on "設定", saves them (the
// password enciphered) and closes. "終了" and the close box close it without
// saving; Esc does nothing, so a stray key never loses what was typed.
// Always shown modally.
//
// A settings file exists after the window closes if and only if it existed
// before or a save succeeded: a failed save in a window opened without one
// deletes what it had begun to write.
class frmIniFile : public QDialog {
    Q_OBJECT
public:
    // context and folderPicker must outlive the window.
    frmIniFile(const AppContext& context, QString strIniPath, IFolderPicker& folderPicker,
        QWidget* parent = nullptr);

    static constexpr int kFolderRows = 4;

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Layout (frmIniFileLayout.cpp).
    void createControls();
    QGroupBox* createFrame(const QString& name, const QString& caption, int top, int height);
    void createRow(QGroupBox* frame, settings::Field field, int top);
    void createButtons(QGroupBox* frame);
    void setTabOrderOfControls();

    void Form_Activate();
    bool FncSetDisp(short iMode);
    bool fillFromFile();
    bool FncChkInput();
    bool FncWriteIni();
    bool encryptPassword(const QString& strValue, QString& strStored, QString& strErrMsg) const;
    void failSave(const QString& strErrMsg);
    void cmdEstablish_Click();
    void cmdDialog_Click(int index);

    QLineEdit* box(settings::Field field) const;
    QString text(settings::Field field) const;
    void warn(const QString& text) const;

    const AppContext& m_context;
    QString m_strIniPath;
    IFolderPicker& m_folderPicker;
    std::array<QLineEdit*, settings::kFieldCount> m_boxes {};
    std::array<QPushButton*, kFolderRows> m_cmdDialog {};
    QPushButton* m_cmdEstablish = nullptr;
    QPushButton* m_cmdEnd = nullptr;
    bool m_blnActivated = false;
    bool m_blnNewFile = false;
    // The password as FncChkInput enciphered it, for FncWriteIni.
    QString m_strStoredPassword;
};
