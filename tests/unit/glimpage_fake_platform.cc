// glimpage_fake_platform.cc: the recording system table of the pager's tests.
#include "glimpage_fake_platform.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>

#include "glimpage_output.h"
#include "glimpage_pager.h"

FakeSystem fake;

namespace {

struct FakeFile {
    std::string data;
    size_t position;
};

uint32_t lastCode = 0;

// Records call and tells whether this use of the named call is to fail.
bool failsNow(const char *name, const std::string &call = "") {
    if (!call.empty()) fake.calls.push_back(call);
    int use = ++fake.useCounts[name];
    if (fake.failingCall != name || use != fake.failOnCall) return false;
    lastCode = fake.failureCode;
    return true;
}

std::string hex(unsigned value) {
    char text[16];
    snprintf(text, sizeof text, "%x", value);
    return text;
}

std::string num(int value) {
    return std::to_string(value);
}

void writeOutput(const unsigned char *bytes, int count) {
    std::string text(reinterpret_cast<const char *>(bytes), static_cast<size_t>(count));
    fake.out += text;
    fake.calls.push_back("out " + text);
}

void writeError(const char *text) {
    fake.err += text;
    fake.calls.push_back(std::string("err ") + text);
}

void *openTextFile(const char *name) {
    auto found = fake.files.find(name);
    return found == fake.files.end() ? nullptr : new FakeFile{found->second, 0};
}

int readTextFile(void *handle, unsigned char *buffer, int size) {
    FakeFile *file = static_cast<FakeFile *>(handle);
    size_t count = std::min(
        {file->data.size() - file->position, static_cast<size_t>(size), static_cast<size_t>(7)});
    memcpy(buffer, file->data.data() + file->position, count);
    file->position += count;
    return static_cast<int>(count);
}

bool getScreenInfo(ScreenInfo *info) {
    if (!fake.console || failsNow("info", "info")) {
        lastCode = 6;
        return false;
    }
    *info = fake.screen;
    return true;
}

bool writeBlankPage(const unsigned char *bytes, int count) {
    for (int i = 0; i < count; i++)
        if (bytes[i] != ' ') return false;
    return !failsNow("blank", "blank " + num(count));
}

bool setWindowPosition(int16_t left, int16_t top, int16_t right, int16_t bottom) {
    return !failsNow("window",
                     "window " + num(left) + "," + num(top) + "," + num(right) + "," + num(bottom));
}

bool setTextAttribute(uint16_t attribute) {
    if (failsNow("attr", "attr " + hex(attribute))) return false;
    fake.screen.attribute = attribute;
    return true;
}

bool getInputMode(uint32_t *mode) {
    *mode = 0x1f7;
    return !failsNow("getmode");
}

int readKey(unsigned char *key) {
    if (failsNow("key")) {
        fake.calls.push_back("key failed");
        return -1;
    }
    if (fake.keys.empty()) {
        fake.calls.push_back("key none");
        return 0;
    }
    *key = static_cast<unsigned char>(fake.keys[0]);
    fake.keys.erase(0, 1);
    fake.calls.push_back(std::string("key ") + static_cast<char>(*key));
    return 1;
}

const PagerPlatform fakeTable = {
    writeOutput,
    writeError,
    [](void *, unsigned char *, int) { return 0; },
    openTextFile,
    readTextFile,
    [](void *handle) { delete static_cast<FakeFile *>(handle); },
    [] {
        lastCode = fake.failureCode;
        return fake.handlesValid;
    },
    getScreenInfo,
    writeBlankPage,
    [](ConsoleCell cell) {
        return !failsNow("cursor", "cursor " + num(cell.column) + "," + num(cell.row));
    },
    setWindowPosition,
    setTextAttribute,
    [] { return !failsNow("conin", "conin"); },
    getInputMode,
    [](uint32_t mode) { return !failsNow("setmode", "mode " + hex(mode)); },
    readKey,
    [] { return lastCode; },
    [](const char *caption, uint32_t code) {
        fake.calls.push_back(std::string("box ") + caption + " " + std::to_string(code));
    },
};

} // namespace

void useFakeSystem() {
    fake = FakeSystem();
    setPagerPlatform(&fakeTable);
}

int runFakePager(const std::string &script) {
    setPagerPlatform(&fakeTable);
    ByteSource source;
    initMemorySource(&source, script.data(), script.size());
    return runPager(true, &source);
}

std::string callLog() {
    std::string log;
    for (const std::string &call : fake.calls)
        log += (log.empty() ? "" : " | ") + call;
    return log;
}
