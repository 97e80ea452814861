#include "base/TimeText.h"

#include <cstdio>

std::string fFramesToTimeText(int frames) {
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d", frames / 3600, (frames / 60) % 60);
    return text;
}
