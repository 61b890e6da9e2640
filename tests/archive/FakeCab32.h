#pragma once

// A stand-in for the CAB archiver component: CabCheckArchive and Cab return
// scripted results, and Cab keeps the command line and window handle it got.
struct FakeCab32State {
    int checkResult;      // returned by CabCheckArchive
    int cabResult;        // returned by Cab
    char command[4096];   // Cab's command line, as passed; "" when not called
    void* hwnd;
};

// What the fake exports (a DLL without a .def exports everything).
#if defined(__ELF__)
#define FAKE_CAB32_API __attribute__((visibility("default")))
#else
#define FAKE_CAB32_API
#endif

// Defined in the fake component; reset it before each use.
extern "C" FAKE_CAB32_API FakeCab32State* fake_cab32_state();
