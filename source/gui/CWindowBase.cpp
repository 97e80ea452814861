#include "gui/CWindowBase.h"

#include <cstdio>

CWindowBase::CWindowBase() : mWindow(std::make_unique<CMainWindowNull>()) {}

CWindowBase::~CWindowBase() {
    std::printf("CWindowBase deleted\n");
}
