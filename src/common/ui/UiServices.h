#pragma once

#include "common/FolderPicker.h"
#include "common/ui/FileOpenDialog.h"
#include "common/ui/ModalRunner.h"

// The dialogs a window opens, given to it as one value. Not owned; they
// outlive the windows.
struct UiServices {
    IFileOpenDialog& fileOpen;
    IFolderPicker& folderPicker;
    IModalRunner& modal;
};
