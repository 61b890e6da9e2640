#include "FakeCab32.h"

#include <cstring>

namespace {

FakeCab32State g_state{};

void copy(char* to, unsigned long size, const char* from)
{
    std::strncpy(to, from != nullptr ? from : "", size - 1);
    to[size - 1] = '\0';
}

} // namespace

extern "C" {

FakeCab32State* fake_cab32_state()
{
    return &g_state;
}

__attribute__((visibility("default"))) int CabCheckArchive(const char* fileName, int mode)
{
    ++g_state.checkCalls;
    g_state.checkMode = mode;
    copy(g_state.checkedFile, sizeof g_state.checkedFile, fileName);
    return g_state.checkResult;
}

#ifndef FAKE_CAB32_WITHOUT_CAB
__attribute__((visibility("default"))) int Cab(void* hwnd, const char* cmdLine, char* output, unsigned long size)
{
    ++g_state.cabCalls;
    g_state.hwnd = hwnd;
    g_state.outputSize = size;
    g_state.outputWasEmpty = output != nullptr && output[0] == '\0';
    copy(g_state.command, sizeof g_state.command, cmdLine);
    return g_state.cabResult;
}
#endif
}
