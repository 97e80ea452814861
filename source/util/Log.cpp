#include "util/Log.h"

#include <cstdio>

void fLogWarning(const std::string& message) {
    std::fprintf(stderr, "warning: %s\n", message.c_str());
    std::fflush(stderr);
}
