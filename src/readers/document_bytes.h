// What a reader checks of a document's raw bytes before it reads any tag.
#pragma once

#include <cstddef>

#include "readers/scan.h"

// Returns the read position of the document's first byte of text: past a
// UTF-8 byte-order mark, whose bytes still count in the column, so that
// places stay those of the file. A document in UTF-16 or UTF-32 (told by
// its byte-order mark) or holding a NUL byte ends the run: a NUL would
// otherwise end the text silently, and every later entity with it.
cursor document_start(const char* data, size_t size, const char* fname);
