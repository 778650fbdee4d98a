// glimpage_fake_platform.cc: the recording system table of the pager's tests.
#include "glimpage_fake_platform.h"

#include <stdio.h>
#include <string.h>

#include "glimpage_output.h"
#include "glimpage_pager.h"

FakeSystem fake;

namespace {

struct FakeFile {
    std::string data;
    size_t position;
};

uint32_t lastCode = 0;

void record(const std::string &call) {
    fake.calls.push_back(call);
}

// True when this use of the named call is to fail.
bool failsNow(const char *name) {
    int use = ++fake.useCounts[name];
    if (fake.failingCall == name && use == fake.failOnCall) {
        lastCode = fake.failureCode;
        return true;
    }
    return false;
}

std::string hex(unsigned value) {
    char text[16];
    snprintf(text, sizeof text, "%x", value);
    return text;
}

void writeOutput(const unsigned char *bytes, int count) {
    std::string text(reinterpret_cast<const char *>(bytes), static_cast<size_t>(count));
    fake.out += text;
    record("out " + text);
}

void writeError(const char *text) {
    fake.err += text;
    record(std::string("err ") + text);
}

int readNothing(void *, unsigned char *, int) {
    return 0;
}

void *openTextFile(const char *name) {
    auto found = fake.files.find(name);
    if (found == fake.files.end()) return nullptr;
    return new FakeFile{found->second, 0};
}

int readTextFile(void *handle, unsigned char *buffer, int size) {
    FakeFile *file = static_cast<FakeFile *>(handle);
    size_t count = file->data.size() - file->position;
    if (count > static_cast<size_t>(size)) count = static_cast<size_t>(size);
    if (count > 7) count = 7;
    memcpy(buffer, file->data.data() + file->position, count);
    file->position += count;
    return static_cast<int>(count);
}

void closeTextFile(void *handle) {
    delete static_cast<FakeFile *>(handle);
}

bool standardHandlesValid() {
    lastCode = fake.failureCode;
    return fake.handlesValid;
}

bool getScreenInfo(ScreenInfo *info) {
    record("info");
    if (!fake.console || failsNow("info")) {
        lastCode = 6;
        return false;
    }
    *info = fake.screen;
    return true;
}

bool writeBlankPage(const unsigned char *bytes, int count) {
    for (int i = 0; i < count; i++)
        if (bytes[i] != ' ') return false;
    record("blank " + std::to_string(count));
    return !failsNow("blank");
}

bool setCursorPosition(ConsoleCell cell) {
    record("cursor " + std::to_string(cell.column) + "," + std::to_string(cell.row));
    return !failsNow("cursor");
}

bool setWindowPosition(int16_t left, int16_t top, int16_t right, int16_t bottom) {
    record("window " + std::to_string(left) + "," + std::to_string(top) + "," +
           std::to_string(right) + "," + std::to_string(bottom));
    return !failsNow("window");
}

bool setTextAttribute(uint16_t attribute) {
    record("attr " + hex(attribute));
    if (failsNow("attr")) return false;
    fake.screen.attribute = attribute;
    return true;
}

bool openConsoleInput() {
    record("conin");
    return !failsNow("conin");
}

bool getInputMode(uint32_t *mode) {
    if (failsNow("getmode")) return false;
    *mode = 0x1f7;
    return true;
}

bool setInputMode(uint32_t mode) {
    record("mode " + hex(mode));
    return !failsNow("setmode");
}

int readKey(unsigned char *key) {
    if (failsNow("key")) {
        record("key failed");
        return -1;
    }
    if (fake.keys.empty()) {
        record("key none");
        return 0;
    }
    *key = static_cast<unsigned char>(fake.keys[0]);
    fake.keys.erase(0, 1);
    record(std::string("key ") + static_cast<char>(*key));
    return 1;
}

uint32_t lastError() {
    return lastCode;
}

void showFailure(const char *caption, uint32_t code) {
    record(std::string("box ") + caption + " " + std::to_string(code));
}

const PagerPlatform fakeTable = {
    writeOutput,      writeError,        readNothing,          openTextFile,
    readTextFile,     closeTextFile,     standardHandlesValid, getScreenInfo,
    writeBlankPage,   setCursorPosition, setWindowPosition,    setTextAttribute,
    openConsoleInput, getInputMode,      setInputMode,         readKey,
    lastError,        showFailure,
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
