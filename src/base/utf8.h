// UTF-8 as the reports that need Unicode text (JSON, HTML) take it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The length of the valid UTF-8 sequence at the start of `s` (no overlong
// forms, no surrogates, nothing past U+10FFFF), or 0 when there is none.
size_t utf8_sequence(std::string_view s);

// Whether all of `s` is valid UTF-8.
bool is_utf8(std::string_view s);

// `s` with each byte that begins no valid sequence replaced by U+FFFD:
// documents in another encoding, or with stray bytes, still read.
std::string repaired_utf8(std::string_view s);
