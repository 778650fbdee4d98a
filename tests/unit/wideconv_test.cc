// Tests of wideconv's read buffer and of its conversion layer: the native one
// under the sanitizers, the Windows one under Wine.
#include "wideconv.h"

#include <gtest/gtest.h>

#include <locale.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#ifndef _WIN32
#include <errno.h>
#include <iconv.h>
#endif

namespace {

// A read buffer of exactly size + 2 bytes holding data, as the program
// allocates it, so that the sanitizer sees any access past the block.
struct OwnedBuffer {
    ReadBuffer buffer;
    explicit OwnedBuffer(const std::string &data) {
        buffer.size = data.size() + 2;
        buffer.bytes = static_cast<unsigned char *>(malloc(buffer.size));
        memcpy(buffer.bytes, data.data(), data.size());
        memset(buffer.bytes + data.size(), 0xAA, 2);
        buffer.count = data.size();
        terminateText(&buffer);
    }
    ~OwnedBuffer() { free(buffer.bytes); }
};

std::string utf16(const std::u16string &text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// Runs both steps on the text of a terminated buffer, checking that the size
// answered is the size used. Returns the narrow text, or "error N".
std::string convertBuffer(const ReadBuffer &buffer) {
    unsigned long error = 0;
    size_t size = narrowSize(buffer.bytes + 2, buffer.count, &error);
    if (size == 0) return "error " + std::to_string(error);
    std::vector<char> out(size, '\x55');
    size_t written = convertToNarrow(buffer.bytes + 2, buffer.count, out.data(), size, &error);
    if (written == 0) return "error " + std::to_string(error);
    EXPECT_EQ(written, size);
    EXPECT_EQ(out[size - 1], '\0');
    EXPECT_EQ(strlen(out.data()) + 1, size);
    return out.data();
}

std::string convert(const std::string &data) {
    OwnedBuffer owned(data);
    return convertBuffer(owned.buffer);
}

TEST(ReadBuffer, SizeIsTwoMoreUnlessThatOverflows) {
    EXPECT_EQ(readBufferSize(0), 2u);
    EXPECT_EQ(readBufferSize(100), 102u);
    EXPECT_EQ(readBufferSize(static_cast<uint64_t>(SIZE_MAX) - 2), SIZE_MAX);
    EXPECT_EQ(readBufferSize(static_cast<uint64_t>(SIZE_MAX) - 1), 0u);
    EXPECT_EQ(readBufferSize(UINT64_MAX), 0u);
}

TEST(ReadBuffer, TerminationAddsZerosAndDropsOnlyAHalfCodeUnit) {
    OwnedBuffer even(utf16(u"ab"));
    EXPECT_EQ(0, memcmp(even.buffer.bytes,
                        "\xFF\xFE"
                        "a\0b\0\0\0",
                        8));

    OwnedBuffer odd(utf16(u"ab") + "c");
    EXPECT_EQ(0, memcmp(odd.buffer.bytes,
                        "\xFF\xFE"
                        "a\0b\0\0\0\0",
                        9));

    // Byte text of odd length keeps its last byte.
    OwnedBuffer bytes("abc");
    EXPECT_EQ(0, memcmp(bytes.buffer.bytes, "abc\0\0", 5));
    OwnedBuffer lone("\xFF");
    EXPECT_EQ(0, memcmp(lone.buffer.bytes, "\xFF\0\0", 3));
}

TEST(Conversion, TextEndsAtTheFirstZeroUnitWithinTheData) {
    setlocale(LC_ALL, "C.UTF-8");
    EXPECT_EQ(convert(utf16(u"")), "");
    EXPECT_EQ(convert(utf16(u"plain text")), "plain text");
    EXPECT_EQ(convert(utf16(std::u16string(u"ab\0cd", 5))), "ab");
    // Units whose one byte is zero are not the end.
    EXPECT_EQ(convert(utf16(u"\u0100\u4e00x")).back(), 'x');
    EXPECT_EQ(convert(utf16(u"ab") + "c"), "ab");
    // A text as long as a scan block and one unit more.
    std::u16string longText(4097, u'x');
    EXPECT_EQ(convert(utf16(longText)), std::string(4097, 'x'));
}

#ifndef _WIN32

class NativeConversion : public ::testing::Test {
  protected:
    void TearDown() override { setlocale(LC_ALL, "C"); }
};

// What iconv itself makes of the text: the sizes counted for UTF-8 must agree.
std::string iconvUtf8(const std::u16string &text) {
    std::string in = utf16(text).substr(2);
    iconv_t converter = iconv_open("UTF-8", "UTF-16LE");
    std::vector<char> out(in.size() * 2 + 8);
    char *from = &in[0];
    size_t fromLeft = in.size();
    char *to = out.data();
    size_t toLeft = out.size();
    size_t result = iconv(converter, &from, &fromLeft, &to, &toLeft);
    int failure = errno;
    iconv_close(converter);
    if (result == static_cast<size_t>(-1)) return "error " + std::to_string(failure);
    return std::string(out.data(), to);
}

TEST_F(NativeConversion, Utf8SizesAgreeWithTheConverter) {
    ASSERT_NE(setlocale(LC_ALL, "C.UTF-8"), nullptr);
    const std::u16string texts[] = {
        u"\u007f\u0080\u07ff\u0800\uffff\ufffe\ud7ff\ue000",
        u"x\U0001F600y\U00010000\U0010FFFF",
        u"\U0001F600",
        u"lone low \xdc00 here",
        u"lone high \xd800 here",
        u"high then high \xd800\xd800\xdc00",
        u"ends high \xd800",
    };
    for (const std::u16string &text : texts) {
        EXPECT_EQ(convert(utf16(text)), iconvUtf8(text)) << convert(utf16(text));
    }
}

TEST_F(NativeConversion, AsciiLocaleReplacesWhatItCannotShow) {
    ASSERT_NE(setlocale(LC_ALL, "C"), nullptr);
    EXPECT_EQ(convert(utf16(u"a\u4e2db\U0001F600c")), "a?b?c");
    EXPECT_EQ(convert(utf16(u"a\xdc00")), "error " + std::to_string(EILSEQ));
    EXPECT_EQ(convert(utf16(u"a\xd800")), "error " + std::to_string(EINVAL));
    // The size pass writes round a scratch block: a text larger than it.
    EXPECT_EQ(convert(utf16(std::u16string(200000, u'\u00e9'))), std::string(200000, '?'));
}

TEST_F(NativeConversion, TooSmallOutputFailsWithoutOverrun) {
    ASSERT_NE(setlocale(LC_ALL, "C.UTF-8"), nullptr);
    OwnedBuffer owned(utf16(u"\u00e9\u00e9"));
    unsigned long error = 0;
    ASSERT_EQ(narrowSize(owned.buffer.bytes + 2, owned.buffer.count, &error), 5u);
    char *out = static_cast<char *>(malloc(3));
    EXPECT_EQ(convertToNarrow(owned.buffer.bytes + 2, owned.buffer.count, out, 3, &error), 0u);
    EXPECT_EQ(error, static_cast<unsigned long>(E2BIG));
    free(out);
}

#endif

} // namespace
