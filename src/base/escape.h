// One-line printable rendering of a stretch of document text.
#pragma once

#include <string>

// Writes the printable form of at most `size` bytes of `src` (stopping at a
// NUL) into `dest`, then a NUL. A line feed becomes "\n", other control bytes
// "\0xhh", a space after a space is dropped. `dest` must hold 5 * size + 1
// bytes.
void escape(char* dest, const char* src, int size);

// The same rendering, returned as a string.
std::string escape_string(const char* src, int size);
