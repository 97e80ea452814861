#include "base/GameVersion.h"

const char* fGameVersion() {
    return TAVONI_VERSION;
}

std::string fGameTitle() {
    return std::string("たぼに！(ver") + TAVONI_VERSION + ")";
}
