#pragma once

#include "common/MessageBoxes.h"

#include <QString>
#include <QStringList>

// The list control as the list rules see it: entries in list order, each
// with its selection mark. The main window's list box implements it.
class IFileListControl {
public:
    virtual ~IFileListControl() = default;
    virtual int count() const = 0;
    virtual QString entry(int index) const = 0;
    virtual bool isSelected(int index) const = 0;
    virtual void append(const QString& path) = 0;
    virtual void remove(int index) = 0;
};

// The rules of the target file list: adding through the file-open dialog,
// adding dropped files, deleting the selected entries. Entries are full
// paths compared as exact texts (letter case included). Messages go through
// the message boxes; nothing here writes a log.
class TargetFileList {
public:
    // Positions are signed 16-bit numbers on the list box.
    static constexpr int kMaxEntries = 32767;
    // The header file the run writes beside the staged files.
    static const QString kReservedName;

    // control and boxes must outlive the list.
    TargetFileList(IFileListControl& control, IMessageBox& boxes);

    // The path the file-open dialog returned (not cancelled). A folder, an
    // unreadable path or a full list is ignored silently; the reserved name,
    // a name Windows cannot hold, a hidden file and a listed path are refused
    // with an information box. A name outside code page 932 is added, with
    // an information box saying the receiver may see it otherwise.
    void addChosen(const QString& strPath);

    // Dropped files in the order the drop supplies them. One file: a missing,
    // hidden or folder path is ignored, the reserved name and a listed path
    // are refused with an information box. More files: each unlisted, present
    // file is appended, the rest skipped without a message. A full list ends
    // the drop with a warning box; files appended before stay. A name Windows
    // cannot hold is never added: one information box names the first. Of
    // the names added that code page 932 lacks a character of, one
    // information box names the first.
    void addDropped(const QStringList& paths);

    // Removes every selected entry, from the last to the first.
    void deleteSelected();

    // The text after the last "/".
    static QString fileNamePart(const QString& strPath);

    // Empty when Windows can hold the file name of strPath; else the message
    // naming the file and what it cannot hold (\ : * ? " < > |, a control
    // character, a trailing "." or blank, a device name such as CON, NUL,
    // COM1 or LPT1 with any extension), since the receiver extracts on Windows.
    static QString unsupportedNameMessage(const QString& strPath);

private:
    bool isListed(const QString& strPath) const;
    bool isFull() const;
    void addOneDropped(const QString& strPath);
    // added: the paths appended, in order.
    bool addManyDropped(const QStringList& paths, QStringList& added);
    // One information box for the first added name that code page 932 lacks
    // a character of: it is archived as UTF-8, which not every extractor
    // shows right.
    void informAboutSpelling(const QStringList& added) const;
    void inform(const QString& text) const;

    IFileListControl& m_control;
    IMessageBox& m_boxes;
};
