#pragma once

#include <QString>

namespace platform {

// The system's text for an errno value, in the user's locale. Empty when the
// system has no text for that number (the caller chooses its own fallback).
QString systemErrorText(int errorNumber);

} // namespace platform
