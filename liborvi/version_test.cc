// parseVersion: tokens between runs of dots, numbers read as atoi reads them
// but saturated, a text without a usable major number rejected untouched.
#include "version.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ParseVersion, TokensNumbersAndRejections) {
    const char *cases[][2] = {{"..1...2..", "1.2.0"},
                              {" -1.+4rc1.x.7", "-1.4.0"},
                              {"99999999999999999999.2", "2147483647.2.0"},
                              {"0.5", "rejected 9.9.9"}};
    for (const auto &c : cases) {
        VersionNumber v = {9, 9, 9};
        std::string seen = parseVersion(c[0], &v) == 0 ? "" : "rejected ";
        seen +=
            std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.patch);
        EXPECT_EQ(c[1], seen) << c[0];
    }
}

} // namespace
