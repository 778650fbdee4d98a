// glimpage_test_platform.h: the pager's platform over memory for the unit tests
// and the fuzzer: script and files are strings read five bytes at a time, output
// and error captured. Its console logs its calls, answers prompts from keys,
// fails its failingCall-th call (code 1234) and shows failure captions on error.
#ifndef ORVI_GLIMPAGE_TEST_PLATFORM_H
#define ORVI_GLIMPAGE_TEST_PLATFORM_H

#include <errno.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <string>

#include "glimpage_console.h"
#include "glimpage_pager.h"

struct FakeSystem {
    std::string script, out, err, log;
    std::map<std::string, std::string> files;
    std::string *openFile;
    size_t scriptAt, fileAt;
    ScreenInfo screen;
    std::string keys; // no keys left: console input at its end
    int calls, failingCall;
    bool scriptFails, fileFails; // a read fails (EIO) at the end of the data
};
inline FakeSystem fake;

inline int readPart(const std::string &data, size_t *at, unsigned char *buffer, int size,
                    bool fails) {
    if (fails && *at == data.size()) {
        errno = EIO;
        return -1;
    }
    size_t count = std::min({data.size() - *at, static_cast<size_t>(size), size_t{5}});
    memcpy(buffer, data.data() + *at, count);
    *at += count;
    return static_cast<int>(count);
}

// Logs a console call; false when it is the one to fail.
inline bool called(const std::string &entry) {
    fake.log += entry + " | ";
    return ++fake.calls != fake.failingCall;
}

inline ConsoleServices fakeConsole = {
    [] { return called("handles"); },
    [](ScreenInfo *info) {
        *info = fake.screen;
        return called("info");
    },
    [](const unsigned char *, int) { return called("blank"); },
    [](ConsoleCell) { return called("cursor"); },
    [](int16_t, int16_t, int16_t, int16_t) { return called("window"); },
    [](uint16_t attribute) { return called("attr " + std::to_string(attribute)); },
    [] { return called("conin"); },
    [](uint32_t *mode) {
        *mode = 7;
        return called("getmode");
    },
    [](uint32_t mode) { return called("mode " + std::to_string(mode)); },
    [](unsigned char *key) {
        if (!called("key")) return -1;
        if (fake.keys.empty()) return 0;
        *key = static_cast<unsigned char>(fake.keys[0]);
        fake.keys.erase(0, 1);
        return 1;
    },
    [] { return 1234u; },
    [](const char *caption, uint32_t code) {
        fake.log += "box " + std::to_string(code) + " | ";
        fake.err += caption;
    },
};

inline PagerPlatform memoryPlatform = {
    [](const unsigned char *bytes, int count) {
        fake.out.append(reinterpret_cast<const char *>(bytes), static_cast<size_t>(count));
        return 0;
    },
    [](const char *text) { fake.err += text; },
    [](const char *name, int error) {
        fake.err += std::string(name) + ": " + strerror(error) + "\n";
    },
    [](void *, unsigned char *b, int n) {
        return readPart(fake.script, &fake.scriptAt, b, n, fake.scriptFails);
    },
    [](const char *name) -> void * {
        if (fake.openFile != nullptr) abort(); // the driver closes a file before the next
        auto file = fake.files.find(name);
        fake.fileAt = 0;
        return file == fake.files.end() ? nullptr : (fake.openFile = &file->second);
    },
    [](void *, unsigned char *b, int n) {
        return readPart(*fake.openFile, &fake.fileAt, b, n, fake.fileFails);
    },
    [](void *) { fake.openFile = nullptr; },
    nullptr,
};

// Forgets the last run; output is a console of columns x rows when rows is not 0.
inline void resetFake(int columns = 0, int rows = 0, const std::string &keys = "") {
    fake = FakeSystem();
    fake.screen = {columns, 0, 0, int16_t(columns - 1), int16_t(rows - 1), int16_t(rows - 1), 7};
    fake.keys = keys;
    memoryPlatform.screen = rows != 0 ? consoleScreen(&fakeConsole) : nullptr;
}

inline int runFake(const std::string &script, bool highlightSense = true) {
    fake.script = script;
    int writeError;
    return runPager(&memoryPlatform, highlightSense, &writeError);
}

#endif
