// A replay's identity in the ranking: the SHA-256 digest of its bytes (OpenSSL), so the same replay uploaded
// again is recognised whoever sends it.
#pragma once

#include <string>
#include <string_view>

// 64 lowercase hexadecimal digits.
std::string fReplayDigest(std::string_view replay);
