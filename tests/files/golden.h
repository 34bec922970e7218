#pragma once
// Golden files: expected outputs kept in tests/files/golden. Run the tests with
// ORV_UPDATE_GOLDEN=1 to rewrite them after a deliberate change, then review the diff.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "fixture.h"

namespace orv::test {

inline void ExpectGolden(const std::string& name, const std::string& actual) {
    const std::filesystem::path path = std::filesystem::path(ORV_GOLDEN_DIR) / name;
    if (std::getenv("ORV_UPDATE_GOLDEN") != nullptr) {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << actual;
        return;
    }
    ASSERT_TRUE(std::filesystem::exists(path)) << "missing golden file " << path;
    EXPECT_EQ(ReadText(path), actual) << "differs from " << path;
}

}  // namespace orv::test
