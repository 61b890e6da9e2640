#pragma once

// A stand-in for the CAB archiver component that records its calls and
// returns scripted results, so the tests see the command line byte for byte.
extern "C" {

struct FakeCab32State {
    int checkResult;          // returned by CabCheckArchive
    int cabResult;            // returned by Cab
    int checkCalls;
    int cabCalls;
    int checkMode;
    char checkedFile[1024];   // CabCheckArchive's file name, as passed
    char command[4096];       // Cab's command line, as passed
    void* hwnd;
    unsigned long outputSize;
    int outputWasEmpty;       // the output buffer held "" on entry
};

// Defined in the fake component; reset it before each test.
__attribute__((visibility("default"))) FakeCab32State* fake_cab32_state();
}
