// The error log: each message on channel 0 goes to a new file named by the UTC time in milliseconds with
// the extension ".log", in the working directory. The other channels (1 to 5) write nothing.
#pragma once

#include <string>

// Where log files go; empty means the working directory (the game folder). Tests point it elsewhere.
void fSetLogFolder(const std::string& folder);
const std::string& fGetLogFolder();

// Returns the file written, or an empty text when nothing was written.
std::string fWriteLog(const std::string& message, int channel);
