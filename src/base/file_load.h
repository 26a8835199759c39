// Reading a whole document into memory.
#pragma once

#include <cstddef>
#include <memory>

// A document's bytes followed by one NUL; the readers rewrite it in place.
struct text_buffer {
  std::unique_ptr<char[]> bytes;
  size_t size = 0;  // bytes before the NUL, as read from the file

  char* data() const { return bytes.get(); }
};

// Gives back the memory past the first NUL, once a reader has shortened
// the text in place: the buffer then holds just the text and its NUL.
void shrink_to_text(text_buffer& buffer);

// A buffer holding a copy of `size` bytes of `data` and a NUL.
text_buffer text_copy(const char* data, size_t size);

// A document given as bytes rather than read from a file, named `name` in
// messages: as file_load would give it, limits included.
text_buffer document_copy(const char* name, const char* data, size_t size);

// Reads the whole file. A file that cannot be opened or read ends the run
// with status 2; one of 2^31 bytes or more ends it with status 1.
text_buffer file_load(const char* fname);
