// The system-call filter of a sandboxed check, built by libseccomp: everything a game needs is allowed; what
// only reaches outside the sandbox or into the kernel's rarer corners is refused with an error (never a
// kill, so a refused call is the game's own failure, reported as one).
#pragma once

#include <string>

// The filter as a BPF program (struct sock_filter records, as bubblewrap's --seccomp reads them); empty,
// with `why` set, when libseccomp cannot make one here.
std::string fBuildSeccompFilter(std::string& why);
