// The registry store against Wine's real registry. Every test works in a
// private key under HKEY_CURRENT_USER, so nothing here touches the suite's
// own configuration key that other tests of the run set up.
#include "orviconf.h"

#include <gtest/gtest.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const char testRoot[] = "Software\\OrviConfigTest";

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        path = std::string(testRoot) + "\\" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name();
        RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0,
                                                 KEY_ALL_ACCESS, nullptr, &key, nullptr));
    }
    void TearDown() override {
        freeConfigValues(list);
        RegCloseKey(key);
        RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    }

    void set(const char *name, DWORD type, const void *data, size_t size) {
        ASSERT_EQ(ERROR_SUCCESS,
                  RegSetValueExA(key, name, 0, type, (const BYTE *)data, (DWORD)size));
    }
    void setText(const char *name, const std::string &text) {
        set(name, REG_SZ, text.c_str(), text.size() + 1);
    }
    void read() {
        freeConfigValues(list);
        list = nullptr;
        ASSERT_EQ(0, readConfigValues(HKEY_CURRENT_USER, path.c_str(), &list));
    }
    ConfigValue *record(const char *name) {
        for (ConfigValue *v = list; v != nullptr; v = v->next)
            if (strcmp(v->name, name) == 0) return v;
        ADD_FAILURE() << "no record " << name;
        return nullptr;
    }
    std::string dataOf(const char *name) {
        ConfigValue *v = record(name);
        return v ? std::string(v->data) : std::string("<missing>");
    }
    size_t count() {
        size_t n = 0;
        for (ConfigValue *v = list; v != nullptr; v = v->next)
            n++;
        return n;
    }

    std::string path;
    HKEY key = nullptr;
    ConfigValueList list = nullptr;
};

TEST_F(RegistryTest, EveryValueTypeReadsAsTerminatedText) {
    setText("ORVILIB", "C:\\Orvi\\lib");
    set("NoTerminator", REG_SZ, "abc", 3);
    set("Expand", REG_EXPAND_SZ, "%TEMP%\\orvi", 12);
    DWORD number = 0x00000105;
    set("Number", REG_DWORD, &number, sizeof number);
    set("Raw", REG_BINARY, "\xC8xyz", 4);
    set("EmptyText", REG_SZ, "", 0);
    set("EmptyRaw", REG_BINARY, "", 0);
    read();

    ASSERT_EQ(7u, count());
    EXPECT_EQ("C:\\Orvi\\lib", dataOf("ORVILIB"));
    EXPECT_EQ("abc", dataOf("NoTerminator"));
    EXPECT_EQ("%TEMP%\\orvi", dataOf("Expand")); // stored text, not expanded
    EXPECT_EQ("\x05\x01", dataOf("Number"));     // raw bytes up to the first zero
    EXPECT_EQ("\xC8xyz", dataOf("Raw"));
    EXPECT_EQ("", dataOf("EmptyText"));
    EXPECT_EQ("", dataOf("EmptyRaw"));
    EXPECT_EQ((uint32_t)REG_SZ, record("ORVILIB")->type);
    EXPECT_EQ((uint32_t)REG_EXPAND_SZ, record("Expand")->type);
    EXPECT_EQ((uint32_t)REG_DWORD, record("Number")->type);
    EXPECT_EQ((uint32_t)REG_BINARY, record("Raw")->type);

    // Records, names and data are blocks of the local heap, each data block
    // with room for the longest value and a terminator.
    for (ConfigValue *v = list; v != nullptr; v = v->next) {
        EXPECT_GE(LocalSize((HLOCAL)v), sizeof(ConfigValue));
        EXPECT_GT(LocalSize((HLOCAL)v->name), strlen(v->name));
        EXPECT_GE(LocalSize((HLOCAL)v->data), 13u);
    }
}

TEST_F(RegistryTest, KeyWithoutValuesGivesAnEmptyList) {
    list = (ConfigValueList)1; // must be overwritten
    ASSERT_EQ(0, readConfigValues(HKEY_CURRENT_USER, path.c_str(), &list));
    EXPECT_EQ(nullptr, list);
}

TEST_F(RegistryTest, UnreadableKeysFailWithTheirCauseAsLastError) {
    std::string missing = path + "\\Missing";
    list = (ConfigValueList)1; // must be cleared
    SetLastError(0);
    EXPECT_EQ(-1, readConfigValues(HKEY_CURRENT_USER, missing.c_str(), &list));
    EXPECT_EQ((DWORD)ERROR_FILE_NOT_FOUND, GetLastError());
    EXPECT_EQ(nullptr, list);

    // A key name longer than the registry allows, and a whole path far over
    // any limit: a failure with a cause, nothing read.
    setText("v", "x");
    std::string longName = path + "\\" + std::string(300, 'k');
    SetLastError(0);
    EXPECT_EQ(-1, readConfigValues(HKEY_CURRENT_USER, longName.c_str(), &list));
    EXPECT_NE(0u, GetLastError());
    std::string longPath = path;
    while (longPath.size() < 40000)
        longPath += "\\part";
    SetLastError(0);
    EXPECT_EQ(-1, readConfigValues(HKEY_CURRENT_USER, longPath.c_str(), &list));
    EXPECT_NE(0u, GetLastError());
    EXPECT_EQ(nullptr, list);
}

TEST_F(RegistryTest, ManyValuesComeInTheRegistrysEnumerationOrder) {
    for (int i = 0; i < 300; i++) {
        char name[32];
        snprintf(name, sizeof name, "V%03d_%d", (i * 37) % 300, i);
        setText(name, std::string(i % 50, 'a' + i % 26));
    }
    read();
    ASSERT_EQ(300u, count());
    ConfigValue *v = list;
    for (DWORD index = 0; index < 300; index++, v = v->next) {
        char name[64];
        DWORD size = sizeof name;
        ASSERT_EQ(ERROR_SUCCESS,
                  RegEnumValueA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr));
        ASSERT_STREQ(name, v->name) << "index " << index;
    }
}

TEST_F(RegistryTest, NamesAndDataAtTheRegistrysLimitsReadWhole) {
    // 16383 characters is the longest value name the registry accepts.
    std::string longestName(16383, 'N');
    longestName[0] = 'L';
    std::string bigData;
    for (int i = 0; i < 1 << 20; i++)
        bigData += (char)(1 + i % 255); // every byte but zero
    set(longestName.c_str(), REG_BINARY, bigData.data(), bigData.size());
    setText("short", "s");
    read();

    ASSERT_EQ(2u, count());
    ConfigValue *big = record(longestName.c_str());
    ASSERT_NE(nullptr, big);
    EXPECT_EQ(bigData.size(), strlen(big->data));
    EXPECT_TRUE(bigData == big->data);
    EXPECT_EQ("s", dataOf("short"));
}

TEST_F(RegistryTest, BytesAbove127InNamesAndDataSurvive) {
    setText("Wert\xE9", "caf\xE9 \xFC\xBF");
    set("Bytes", REG_BINARY, "\x80\xFF\xFE", 3);
    read();
    EXPECT_EQ("caf\xE9 \xFC\xBF", dataOf("Wert\xE9"));
    EXPECT_EQ("\x80\xFF\xFE", dataOf("Bytes"));
}

TEST_F(RegistryTest, FindConfigValueMatchesNamesExactly) {
    setText("orvilib", "lower");
    setText("ORVI_TMP", "C:\\tmp");
    read();

    char *out = (char *)"untouched";
    EXPECT_EQ(-1, findConfigValue(list, "ORVILIB", &out)); // the registry would match it
    EXPECT_STREQ("untouched", out);
    EXPECT_EQ(-1, findConfigValue(list, "ORVI", &out));
    EXPECT_EQ(-1, findConfigValue(nullptr, "ORVI_TMP", &out));
    ASSERT_EQ(0, findConfigValue(list, "ORVI_TMP", &out));
    EXPECT_EQ(record("ORVI_TMP")->data, out); // points into the list
    ASSERT_EQ(0, findConfigValue(list, "orvilib", &out));
    EXPECT_STREQ("lower", out);
}

TEST_F(RegistryTest, MakeEnvEntryJoinsNameAndDataOnlyForNonEmptyValues) {
    setText("ORVI_TMP", "C:\\tmp\\x");
    set("ORVI_COST", REG_SZ, "", 0);
    setText("ORVI_TEST", "");
    read();

    char *entry = nullptr;
    ASSERT_EQ(0, makeEnvEntry(list, "ORVI_TMP", &entry));
    EXPECT_STREQ("ORVI_TMP=C:\\tmp\\x", entry);
    free(entry);

    char *untouched = (char *)"untouched";
    entry = untouched;
    EXPECT_EQ(-1, makeEnvEntry(list, "ORVI_COST", &entry));
    EXPECT_EQ(-1, makeEnvEntry(list, "ORVI_TEST", &entry));
    EXPECT_EQ(-1, makeEnvEntry(list, "orvi_tmp", &entry));
    EXPECT_EQ(-1, makeEnvEntry(list, "ORVI_DIR", &entry));
    EXPECT_EQ(untouched, entry);
}

TEST_F(RegistryTest, PrintConfigValuesWritesOneLinePerRecordInOrder) {
    setText("A", "1");
    set("Empty", REG_SZ, "", 0);
    read();
    std::string expected;
    for (ConfigValue *v = list; v != nullptr; v = v->next)
        expected += std::string(v->name) + "=" + v->data + "\n";
    ::testing::internal::CaptureStdout();
    printConfigValues(list);
    printConfigValues(nullptr);
    freeConfigValues(nullptr);
    fflush(stdout);
    std::string printed = ::testing::internal::GetCapturedStdout();
    std::string::size_type cr;
    while ((cr = printed.find('\r')) != std::string::npos)
        printed.erase(cr, 1);
    EXPECT_EQ(expected, printed);
    EXPECT_NE(std::string::npos, printed.find("Empty=\n"));
}

} // namespace
