#include "TestSupport.h"

#include <sys/wait.h>
#include <unistd.h>

// Linux only: Windows has no fork, and the tests that need a second process
// of their own (kills, limits, a second lock holder) run here.
namespace testsupport {

int statusOfChild(const std::function<bool()>& body)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(body() ? 0 : 1);
    int status = -1;
    return child > 0 && ::waitpid(child, &status, 0) == child ? status : -1;
}

} // namespace testsupport
