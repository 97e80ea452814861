// The error log: each message on channel 0 goes to a new file named by the UTC time in milliseconds with
// the extension ".log", in the working directory. The other channels (1 to 5) write nothing.
#pragma once

#include <string>

// Returns the file written, or an empty text when nothing was written.
std::string fWriteLog(const std::string& message, int channel);
