#include "base/LaunchFlags.h"

bool gLaunchNoWait = false;
bool gLaunchTraceKeys = false;
bool gLaunchTraceStage = false;
int gLaunchDigestEvery = 0;
bool gLaunchNoRender = false;
std::string gLaunchResultScreenshot;
bool gLaunchResultScreenshotSaved = false;
bool gLaunchTraceMenu = false;
int gLaunchSeed = -1;
std::string gLaunchWatch;
