// A first-in first-out queue of messages for the message windows; "\n" separates a message's lines.
#pragma once

#include <deque>
#include <string>

class CMessageInfo {
public:
    virtual ~CMessageInfo() = default;

    virtual bool fHasMessage() const { return !mMessages.empty(); }
    virtual void fAddMessage(const std::string& message) { mMessages.push_back(message); }
    // Removes and returns the first message; the queue must not be empty.
    virtual std::string fPopMessage();

private:
    std::deque<std::string> mMessages;
};
