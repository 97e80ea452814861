// What the server needs of PNG files without decoding them: whether stored bytes are a whole, undamaged
// picture of the expected size (every chunk's CRC holds, from the signature to IEND), and the game's
// magenta-keyed pictures made transparent for a browser.
#pragma once

#include <string>
#include <string_view>

inline constexpr std::size_t kMaxResultPictureBytes = 4u * 1024 * 1024;

// Empty when `bytes` is a sound PNG of `width` x `height`; else why not, in a few words.
std::string fCheckPng(std::string_view bytes, int width, int height);

// The game treats (255, 0, 255) as transparent when it loads a picture; a browser needs to be told. For an
// 8-bit RGB PNG without transparency this adds a tRNS chunk naming that colour; anything else is returned
// as it is.
std::string fWithTransparentMagenta(std::string_view png);
