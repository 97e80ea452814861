// The game's version and window title, both from the project's version, so a release changes them in one
// place (CMakeLists.txt).
#pragma once

#include <string>

// "1.0.3"
const char* fGameVersion();
// "たぼに！(ver1.0.3)"
std::string fGameTitle();
