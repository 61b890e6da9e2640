#include "FakeCab32.h"

#include <cstring>

static FakeCab32State g_state{};

FakeCab32State* fake_cab32_state() { return &g_state; }

extern "C" FAKE_CAB32_API int CabCheckArchive(const char*, int) { return g_state.checkResult; }

#ifndef FAKE_CAB32_WITHOUT_CAB
extern "C" FAKE_CAB32_API int Cab(void* hwnd, const char* cmdLine, char*, unsigned long)
{
    g_state.hwnd = hwnd;
    std::strncpy(g_state.command, cmdLine, sizeof g_state.command - 1);
    return g_state.cabResult;
}
#endif
