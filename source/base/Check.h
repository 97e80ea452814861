// Programming errors end the program at once, in every build type, naming the module. Unlike assert, this
// is never compiled out. Failures that a player can cause (bad files, bad network replies) are not
// programming errors: they throw CException instead.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace util {
[[noreturn]] inline void fFatal(const char* module, const char* message, const char* file, int line) {
    std::fprintf(stderr, "fatal error in %s: %s (%s:%d)\n", module, message, file, line);
    std::fflush(stderr);
    std::abort();
}
} // namespace util

// TAVONI_CHECK(condition, "Module", "what must hold")
#define TAVONI_CHECK(cond, module, message)                                                                  \
    do {                                                                                                     \
        if (!(cond)) {                                                                                       \
            ::util::fFatal(module, message, __FILE__, __LINE__);                                             \
        }                                                                                                    \
    } while (false)

// A switch over an enumeration reached a value it does not know.
#define TAVONI_UNREACHABLE(module) ::util::fFatal(module, "switch failure", __FILE__, __LINE__)
