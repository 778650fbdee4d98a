// Fuzzer of the pager in overstrike mode on the memory platform: the input's
// first byte picks -r and the locale (C or C.UTF-8), the rest is the script
// and text file "s"; "a" is a fixed text. The output must be the same with and without the bulk
// copying of ordinary bytes.
#include <stddef.h>
#include <stdint.h>

#include "characters.h"
#include "glimpage_test_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size == 0) return 0;
    std::string script(reinterpret_cast<const char *>(data) + 1, size - 1), out[2];
    setupCharacters((data[0] & 2) != 0 ? "C.UTF-8" : "C");
    for (int bulk = 0; bulk < 2; bulk++) {
        resetFake();
        fake.files = {{"a", "int main(void)\n{\n\tint x = 1;\r\n\f\treturn x;\t/* end */\n}\n\n"
                            "\x1a"
                            "after\x80\xff \xce\xb1\xe4\xb8\xad\te\xcc\x81\xe4\xb8"},
                      {"s", script}};
        ordinaryRuns = bulk != 0;
        if (runFake(script, (data[0] & 1) == 0) != 0 || fake.openFile != nullptr) __builtin_trap();
        out[bulk] = fake.out;
    }
    if (out[0] != out[1]) __builtin_trap();
    return 0;
}
