#pragma once

// SIGINT, SIGTERM and SIGHUP while a run lasts: the handler only notes the
// signal; the run asks caughtSignal() at its stop points, ends there, and
// its destructors remove what it made.
namespace opener {

class StopSignals {
public:
    // Installs the handler (and forgets an earlier signal).
    StopSignals();
    // Puts the earlier handlers back.
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;
};

// The signal caught since the StopSignals was made, or 0.
int caughtSignal();

} // namespace opener
