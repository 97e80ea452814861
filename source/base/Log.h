// Diagnostics. The error log: each message on channel 0 goes to a new file named by the UTC time in
// milliseconds with the extension ".log", in the log folder (the game folder unless set); the other channels
// (1 to 5) write nothing. Warnings are small troubles that must not stop the game (a damaged save replaced
// by its default, a file that could not be cleaned up): written to standard error and to a log file.
#pragma once

#include <string>

// Where log files go; empty means the working directory (the game folder). Tests point it elsewhere.
void fSetLogFolder(const std::string& folder);
const std::string& fGetLogFolder();

// Returns the file written, or an empty text when nothing was written.
std::string fWriteLog(const std::string& message, int channel);

void fLogWarning(const std::string& message);
