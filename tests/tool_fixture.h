// Runs the built tessel program for end-to-end tests: a temporary directory
// per test, the exit status, standard output and standard error of a run.
#ifndef TESSEL_TESTS_TOOL_FIXTURE_H
#define TESSEL_TESTS_TOOL_FIXTURE_H

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace tool_test {

namespace fs = std::filesystem;

inline std::string Read_file(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

inline std::string Quote(const std::string& s) { return "'" + s + "'"; }

struct Result {
    int status;
    std::string out, err;
};

class Tool_fixture : public ::testing::Test {
protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "tessel-test-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }

    // Runs tessel with args (quoted as needed), standard input from stdin_path.
    Result Run(const std::string& args, const std::string& stdin_path = "/dev/null") {
        const fs::path out = dir_ / "stdout", err = dir_ / "stderr";
        const std::string command = Quote(TESSEL_TOOL) + " " + args + " <" + Quote(stdin_path) + " >" +
                                    Quote(out.string()) + " 2>" + Quote(err.string());
        const int raw = std::system(command.c_str());
        Result r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Read_file(out), Read_file(err)};
        // A sanitizer report would otherwise pass for an ordinary failure.
        EXPECT_EQ(r.err.find("Sanitizer"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("runtime error:"), std::string::npos) << r.err;
        return r;
    }
    // A script of the given text, logged from standard input.
    Result Log_text(const std::string& text) {
        const fs::path script = dir_ / "script.log";
        std::ofstream(script, std::ios::binary) << text;
        return Run("log", script.string());
    }
    std::string Temp(const char* name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

}  // namespace tool_test

#endif
