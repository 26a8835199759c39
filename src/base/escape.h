// One-line printable rendering of a stretch of document text.
#pragma once

#include <string>
#include <string_view>

// Writes the printable form of at most `size` bytes of `src` (stopping at a
// NUL) into `dest`, then a NUL. A line feed becomes "\n", other control bytes
// "\0xhh", a space after a space is dropped. `dest` must hold 5 * size + 1
// bytes.
void escape(char* dest, const char* src, int size);

// The same rendering, returned as a string.
std::string escape_string(const char* src, int size);

// Appends `text` to `out` with the same rendering of line feeds and other
// control bytes, but every space kept: for attribute names and values, which
// print as written unless they could break a line or reach a terminal.
void append_escaped_controls(std::string& out, std::string_view text);

// A name that comes from the data or the file system (a file name, an entity
// type, an error name) as text reports and messages show it: line feeds and
// other control bytes escaped as above, so that none can move the cursor,
// retitle a terminal or forge a line.
std::string shown_name(std::string_view name);
