// Golden files: a test's output compared with the file that pins it.
#ifndef TESSEL_TESTS_GOLDEN_H
#define TESSEL_TESTS_GOLDEN_H

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

// Compares text with tests/data/<area>/<name>; TESSEL_UPDATE_GOLDEN=1
// rewrites the file instead.
inline void Expect_golden_file(const std::string& area, const std::string& name, const std::string& text) {
    const std::string path = std::string(TESSEL_TEST_DATA) + "/" + area + "/" + name;
    const char* update = std::getenv("TESSEL_UPDATE_GOLDEN");
    if (update && *update == '1') {
        std::ofstream(path, std::ios::binary) << text;
        return;
    }
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << "no golden file " << path;
    std::ostringstream golden;
    golden << in.rdbuf();
    EXPECT_EQ(text, golden.str()) << "golden " << name;
}

#endif
