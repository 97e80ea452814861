// Fitting a text to a width measured with a font, for texts that can grow past the lines they were written
// in (a prompt naming a key the player bound, say).
#pragma once

#include <string>

// `text` as it is when every line fits `width` pixels in `font`; otherwise its lines flowed again into one
// paragraph and broken where they fill the width: at a space where the line has one, else between two
// characters (Japanese breaks anywhere).
std::string fFitLines(const std::string& text, int width, int font);
