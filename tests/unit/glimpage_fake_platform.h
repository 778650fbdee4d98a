// glimpage_fake_platform.h: a system table for the pager's tests. Files live
// in memory, output is captured, and every console call is recorded in order
// (output flushes included) so tests can check what reached the screen
// between attribute changes and prompts.
#ifndef GLIMPAGE_FAKE_PLATFORM_H
#define GLIMPAGE_FAKE_PLATFORM_H

#include <map>
#include <string>
#include <vector>

#include "glimpage_platform.h"

struct FakeSystem {
    bool console = false;
    ScreenInfo screen = {80, 0, 0, 79, 24, 24, 0x07}; // 80 x 25 window
    std::string keys;                                 // prompt answers; none left: no byte
    std::string failingCall;                          // this console call fails...
    int failOnCall = 1;                               // ...on its nth use
    uint32_t failureCode = 5;                         // lastError after it
    bool handlesValid = true;
    std::map<std::string, std::string> files; // read 7 bytes at a time: odd block ends
    std::string out, err;                     // standard output and error
    std::vector<std::string> calls;           // console calls and output, in order
    std::map<std::string, int> useCounts;
};

extern FakeSystem fake;

// Resets fake and installs the fake table in the output layer.
void useFakeSystem();
// Runs the pager over script with fake as the caller set it; the exit status.
int runFakePager(const std::string &script);
// calls joined with " | ".
std::string callLog();

#endif
