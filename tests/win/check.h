// A very small test runner for the in-process Windows tests. GoogleTest needs
// std::mutex, which the win32-thread MinGW runtime does not have, so these
// tests register themselves here and report like any runner: one line per
// failure and "N passed, N failed" at the end.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace wintest {

struct Case {
    const char* name;
    std::function<void()> body;
};

inline std::vector<Case>& Cases() {
    static std::vector<Case> cases;
    return cases;
}

inline int& Failures() {
    static int failures = 0;
    return failures;
}

struct Registration {
    Registration(const char* name, std::function<void()> body) { Cases().push_back({name, std::move(body)}); }
};

inline bool Check(bool condition, const char* expression, const char* file, int line, const std::string& note) {
    if (!condition) {
        ++Failures();
        std::printf("%s:%d: check failed: %s %s\n", file, line, expression, note.c_str());
        std::fflush(stdout);
    }
    return condition;
}

inline int RunAll() {
    int passed = 0;
    int failed = 0;
    for (const Case& test : Cases()) {
        const int before = Failures();
        test.body();
        const bool ok = Failures() == before;
        std::printf("[%s] %s\n", ok ? "  OK  " : " FAIL ", test.name);
        std::fflush(stdout);
        ++(ok ? passed : failed);
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}

}  // namespace wintest

#define WIN_TEST(name)                                                        \
    static void name();                                                       \
    static const ::wintest::Registration name##_registration(#name, &name);   \
    static void name()

#define CHECK_THAT(condition, note) ::wintest::Check(static_cast<bool>(condition), #condition, __FILE__, __LINE__, (note))
#define CHECK(condition) CHECK_THAT(condition, std::string())
// Stops the test at a failed precondition.
#define REQUIRE(condition) \
    if (!CHECK(condition)) return
