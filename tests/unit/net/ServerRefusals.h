// Refusals as the ranking server words them, one for each kind the game tells apart, with the longest
// name a reason may quote.
#pragma once

inline constexpr const char* kServerRefusals[] = {
    "not a replay",
    "the replay does not reach the score 120: the run ended at 90",
    "this replay is registered with another score",
    "this replay is registered under the name \"WWWWWWWWWWWW\"",
    "this replay has been taken off the ranking",
    "this name is not allowed on the ranking; enter another name",
    "the replay is larger than 8 MiB",
    "too many uploads from this address; try again in an hour",
    "the ranking is under maintenance; uploads are closed for now",
    "the server is busy; try again later",
    "the check did not finish in time; try again later",
    "the replay took longer than 60 s to check",
    "the game refused the replay",
    "the game crashed on the replay",
    "the check failed with exit status 3",
    "the replay could not be checked",
    "the server could not store the replay",
    "the upload could not be handled",
};
