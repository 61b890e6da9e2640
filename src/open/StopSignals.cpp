#include "open/StopSignals.h"

#include <csignal>

namespace opener {
namespace {

volatile std::sig_atomic_t g_caught = 0;
constexpr int kSignals[] = { SIGINT, SIGTERM, SIGHUP };
struct sigaction g_previous[3];

void note(int signal)
{
    g_caught = signal;
}

} // namespace

StopSignals::StopSignals()
{
    g_caught = 0;
    struct sigaction action { };
    action.sa_handler = note;
    sigemptyset(&action.sa_mask);
    // Restarted, so a system call the signal interrupts is no failure to report.
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i)
        ::sigaction(kSignals[i], &action, &g_previous[i]);
}

StopSignals::~StopSignals()
{
    for (int i = 0; i < 3; ++i)
        ::sigaction(kSignals[i], &g_previous[i], nullptr);
}

int caughtSignal()
{
    return g_caught;
}

} // namespace opener
