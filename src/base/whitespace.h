// What the program skips as whitespace, wherever it skips it.
#pragma once

// Exactly space, tab, line feed and carriage return; form feed, vertical tab
// and bytes from 0x80 up are text.
inline bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}
