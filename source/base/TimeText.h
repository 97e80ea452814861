// Times in frames (60 a second) written for the player.
#pragma once

#include <string>

// "mm:ss": whole minutes (not wrapped at 60), then the seconds within the minute.
std::string fFramesToTimeText(int frames);
