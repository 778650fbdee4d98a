// Tests of the block-wise text streams: what the runtime's text streams make
// of carriage returns, Ctrl+Z and line feeds, whatever the block boundaries.
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

// The text read from data delivered chunk raw bytes at a time into a buffer
// of capacity bytes.
std::string decode(const std::string &data, int chunk, int capacity) {
    RawBytes raw = {data, 0, chunk, 0};
    TextReader reader;
    initTextReader(&reader, readRaw, &raw);
    std::string text;
    unsigned char block[64];
    int count;
    while ((count = readText(&reader, block, capacity)) > 0)
        text.append(reinterpret_cast<char *>(block), static_cast<size_t>(count));
    EXPECT_EQ(0, readText(&reader, block, capacity)); // the end stays the end
    return text;
}

TEST(TextStream, DropsCarriageReturnsBeforeLineFeedsOnlyAndEndsAtCtrlZ) {
    // Expectations as measured from the runtime's fopen(name, "r") streams: a
    // carriage return goes only right before a line feed, whatever the block
    // boundaries, and stays at the very end and before Ctrl+Z.
    const struct {
        std::string data, text;
    } cases[] = {
        {"ab\r\ncd\rx\r\r\n\032ef\r\n", "ab\ncd\rx\r\n"},
        {"a\r\032b", "a\r"},
        {"\r\r\r\n\n\r", "\r\r\n\n\r"},
        {std::string("\r\n\0\r\n", 5), std::string("\n\0\n", 3)},
        {"0123456789\r\nabcdefgh\r\r\n", "0123456789\nabcdefgh\r\n"},
    };
    for (const auto &c : cases) {
        for (int chunk : {1, 2, 1000}) {
            for (int capacity : {2, 5, 64}) {
                SCOPED_TRACE(testing::PrintToString(c.data) + " chunk " + std::to_string(chunk) +
                             " capacity " + std::to_string(capacity));
                EXPECT_EQ(c.text, decode(c.data, chunk, capacity));
            }
        }
    }
    // What has arrived is handed out at once: a pipe's first line is not held back.
    RawBytes raw = {"line\nmore\n", 0, 5, 0};
    TextReader reader;
    initTextReader(&reader, readRaw, &raw);
    unsigned char block[64];
    EXPECT_EQ(5, readText(&reader, block, sizeof block));
    EXPECT_EQ(1, raw.reads);
}

TEST(TextStream, ExpandsEveryLineFeed) {
    const unsigned char in[] = "\na\r\n\n0123456789abcdef\nxyz0123456789abcdef0123\n\n";
    unsigned char out[2 * (sizeof in - 1)];
    size_t length = expandLineFeeds(in, sizeof in - 1, out);
    EXPECT_EQ("\r\na\r\r\n\r\n0123456789abcdef\r\nxyz0123456789abcdef0123\r\n\r\n",
              std::string(reinterpret_cast<char *>(out), length));
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
        length = expandLineFeeds(bytes.data(), size, expanded.data());
        EXPECT_EQ(expected, std::string(expanded.begin(), expanded.begin() + length)) << size;
    }
}

} // namespace
