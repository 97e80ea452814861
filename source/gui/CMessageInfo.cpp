#include "gui/CMessageInfo.h"

#include "base/Check.h"

std::string CMessageInfo::fPopMessage() {
    TAVONI_CHECK(!mMessages.empty(), "gui", "no message left to pop");
    std::string first = std::move(mMessages.front());
    mMessages.pop_front();
    return first;
}
