// Tests of the block-wise text streams: how reads are handed out and the
// line-feed expansion at the ends of its blocks.
#include "textstream.h"

#include <string.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

struct RawBytes {
    std::string data;
    size_t position;
    int chunk;
    int reads;
};

int readRaw(void *handle, unsigned char *buffer, int size) {
    RawBytes *raw = static_cast<RawBytes *>(handle);
    raw->reads++;
    size_t count = raw->data.size() - raw->position;
    if (count > static_cast<size_t>(size)) count = static_cast<size_t>(size);
    if (count > static_cast<size_t>(raw->chunk)) count = static_cast<size_t>(raw->chunk);
    memcpy(buffer, raw->data.data() + raw->position, count);
    raw->position += count;
    return static_cast<int>(count);
}

// What has arrived is handed out at once: a pipe's first line is not held
// back. (The decoding rules, whatever the block boundaries, are fuzzed.)
TEST(TextStream, HandsOutWhatOneReadGives) {
    RawBytes raw = {"line\nmore\n", 0, 5, 0};
    TextReader reader;
    initTextReader(&reader, readRaw, &raw);
    unsigned char block[64];
    EXPECT_EQ(5, readText(&reader, block, sizeof block));
    EXPECT_EQ(1, raw.reads);
}

TEST(TextStream, ExpandsEveryLineFeed) {
    // Inputs that end in a part block and no line feed, in blocks of exactly
    // their size, so that reading or writing past either end is seen.
    for (size_t size : {15, 16, 17, 32 * 1024 + 15}) {
        std::vector<unsigned char> bytes(size), expanded(2 * size);
        std::string expected;
        for (size_t i = 0; i < size; i++) {
            bytes[i] =
                static_cast<unsigned char>(i % 37 == 5 && i + 15 < size ? '\n' : 'a' + i % 26);
            expected += bytes[i] == '\n' ? "\r\n" : std::string(1, bytes[i]);
        }
        size_t length = expandLineFeeds(bytes.data(), size, expanded.data());
        EXPECT_EQ(expected, std::string(expanded.begin(), expanded.begin() + length)) << size;
    }
}

} // namespace
