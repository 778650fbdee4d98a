// glimpage_fake_platform.h: a system table for the pager's tests. Files live
// in memory, standard output and error are captured, and every console call
// is recorded in order (output flushes included) so that tests can check
// what reached the screen between attribute changes and prompts.
#ifndef GLIMPAGE_FAKE_PLATFORM_H
#define GLIMPAGE_FAKE_PLATFORM_H

#include <map>
#include <string>
#include <vector>

#include "glimpage_platform.h"

struct FakeSystem {
    bool console = false;
    ScreenInfo screen = {80, 0, 0, 79, 24, 24, 0x07}; // 80 x 25 window
    std::string keys;                                 // answers to the prompts; none left: no byte
    std::string failingCall;                          // name of a console call that fails...
    int failOnCall = 1;                               // ...on its nth use
    uint32_t failureCode = 5;                         // lastError after it
    bool handlesValid = true;

    std::map<std::string, std::string> files; // read 7 bytes at a time, so blocks end in odd places

    std::string out;                // everything written to standard output
    std::string err;                // standard error
    std::vector<std::string> calls; // console calls and output, in order
    std::map<std::string, int> useCounts;
};

extern FakeSystem fake;

// Resets fake and installs the fake table in the output layer.
void useFakeSystem();

// Runs the pager over script with the fake installed (fake's settings as the
// caller left them); returns the exit status.
int runFakePager(const std::string &script);

// calls joined with " | ", for compact expectations.
std::string callLog();

#endif
