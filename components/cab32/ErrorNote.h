#pragma once

namespace cab32 {

// The errno of the system call behind this thread's last Write failure,
// for the text of the entry point that failed; each entry point clears it
// first, so nothing carries over from one call to the next.
inline thread_local int t_systemError = 0;

inline void noteSystemError(int error)
{
    t_systemError = error;
}

} // namespace cab32
