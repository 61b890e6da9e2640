#include "common/AppContext.h"

#include "platform/Folders.h"

AppContext AppContext::forProcess(IMessageBox* boxes)
{
    AppContext context;
    context.programFolder = platform::programFolder();
    context.documentsFolder = platform::documentsFolder();
    context.boxes = boxes;
    context.components.programFolder = context.programFolder;
    return context;
}
