// A test that cannot run on this machine (no sound server, no compositor) is skipped on a
// developer's machine, saying why, and fails on CI (CI=true), where everything must run.
#pragma once

#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

namespace test_support {

inline void CannotRunHere(const std::string& why) {
    const char* ci = std::getenv("CI");
    if (ci && std::string(ci) == "true") GTEST_FAIL() << why << " (on CI every test must run)";
    GTEST_SKIP() << why;
}

}  // namespace test_support
