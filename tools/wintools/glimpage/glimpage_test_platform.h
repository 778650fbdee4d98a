// glimpage_test_platform.h: the pager's platform over memory, for the unit
// tests and the fuzzer. The script and the text files are strings, read at
// most five bytes at a time so that every block end is crossed; standard
// output and error are captured. With console set, output is a console of the
// given screen that logs its calls, takes its keys from keys and fails the
// failOnUse-th call of failingCall.
#ifndef GLIMPAGE_TEST_PLATFORM_H
#define GLIMPAGE_TEST_PLATFORM_H

#include <stdlib.h>
#include <string.h>

#include <map>
#include <string>

#include "glimpage_output.h"
#include "glimpage_pager.h"

struct FakeSystem {
    std::string script;
    std::map<std::string, std::string> files;
    std::string out, err, log;
    bool console;
    ScreenInfo screen;
    std::string keys, failingCall;
    int failOnUse;
    bool handlesInvalid;
    size_t scriptRead, fileRead;
    const std::string *openFile;
    int uses;
};
inline FakeSystem fake;

inline int readMemory(const std::string &data, size_t *at, unsigned char *buffer, int size) {
    size_t count = data.size() - *at < 5 ? data.size() - *at : 5;
    if (count > static_cast<size_t>(size)) count = static_cast<size_t>(size);
    memcpy(buffer, data.data() + *at, count);
    *at += count;
    return static_cast<int>(count);
}

// Logs call (as entry, unless empty) and tells whether this use is to fail.
inline bool fails(const std::string &call, const std::string &entry = "") {
    if (!entry.empty()) fake.log += entry + " | ";
    return call == fake.failingCall && ++fake.uses == fake.failOnUse;
}

inline const ConsoleServices fakeConsole = {
    [] { return !fake.handlesInvalid; },
    [](ScreenInfo *info) {
        *info = fake.screen;
        return !fails("info", "info");
    },
    [](const unsigned char *, int) { return !fails("blank"); },
    [](ConsoleCell) { return !fails("cursor"); },
    [](int16_t, int16_t, int16_t, int16_t) { return !fails("window"); },
    [](uint16_t attribute) { return !fails("attr", "attr " + std::to_string(attribute)); },
    [] { return !fails("conin"); },
    [](uint32_t *mode) {
        *mode = 7;
        return !fails("getmode");
    },
    [](uint32_t mode) { return !fails("setmode", "mode " + std::to_string(mode)); },
    [](unsigned char *key) {
        if (fails("key", "key")) return -1;
        if (fake.keys.empty()) return 0;
        *key = static_cast<unsigned char>(fake.keys[0]);
        fake.keys.erase(0, 1);
        return 1;
    },
    [] { return 1234u; },
    [](const char *caption, uint32_t code) {
        fake.log += std::string("box ") + caption + " " + std::to_string(code) + " | ";
    },
    wrapsAtLastCell,
};

inline const PagerPlatform memoryPlatform = {
    [](const unsigned char *bytes, int count) {
        fake.out.append(reinterpret_cast<const char *>(bytes), static_cast<size_t>(count));
        return 0;
    },
    [](const char *text) { fake.err += text; },
    [](void *, unsigned char *buffer, int size) {
        return readMemory(fake.script, &fake.scriptRead, buffer, size);
    },
    [](const char *name) -> void * {
        if (fake.openFile != nullptr) abort(); // the driver closes one before the next
        auto file = fake.files.find(name);
        if (file == fake.files.end()) return nullptr;
        fake.fileRead = 0;
        return const_cast<std::string *>(fake.openFile = &file->second);
    },
    [](void *file, unsigned char *buffer, int size) {
        return readMemory(*static_cast<std::string *>(file), &fake.fileRead, buffer, size);
    },
    [](void *) { fake.openFile = nullptr; },
    &fakeConsole,
};

// Forgets the last run; a console of columns x rows when rows is not 0.
inline void resetFake(int columns = 0, int rows = 0, const std::string &keys = "") {
    int16_t right = static_cast<int16_t>(columns - 1), bottom = static_cast<int16_t>(rows - 1);
    fake = FakeSystem();
    fake.console = rows != 0;
    fake.screen = {columns, 0, 0, right, bottom, bottom, 7};
    fake.keys = keys;
}

inline int runFake(const std::string &script, bool highlightSense = true) {
    static PagerPlatform platform = memoryPlatform;
    platform.console = fake.console ? &fakeConsole : nullptr;
    fake.script = script;
    setPagerPlatform(&platform);
    return runPager(highlightSense);
}

#endif
