#pragma once

#include "common/MessageBoxes.h"
#include "platform/Clock.h"
#include "platform/ComponentLookup.h"

#include <QString>

// What the system's code takes from the outside world, as values, so that a
// test can fix the clock, point the program at a temporary folder, answer the
// boxes or make a component missing.
struct AppContext {
    QString programFolder;             // no trailing "/"
    QString documentsFolder;           // the user's documents folder, or empty
    platform::Clock clock = platform::systemClock();
    IMessageBox* boxes = nullptr;      // not owned; must be set before use
    platform::ComponentLookup components;

    // The context of the running program.
    static AppContext forProcess(IMessageBox* boxes);
};
