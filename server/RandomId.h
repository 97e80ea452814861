// Random names for what the server makes: replay ids, request ids.
#pragma once

#include <cstddef>
#include <string>

// `bytes` random bytes from the kernel as lowercase hexadecimal digits. Throws std::runtime_error.
std::string fRandomHex(std::size_t bytes);
