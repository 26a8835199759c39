// Reading a whole document into memory.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>

// A document's bytes followed by one NUL; the readers rewrite it in place.
struct text_buffer {
  std::unique_ptr<char[]> bytes;
  size_t size = 0;  // bytes before the NUL, as read from the file

  char* data() const { return bytes.get(); }
};

// A text built by appending, in one buffer sized for the longest it may
// grow to: handed on as a text_buffer without a copy. Bytes past the end
// stay untouched, and cost no memory, until appended.
class text_builder {
 public:
  void reserve(size_t capacity);
  void append(std::string_view s);
  void push_back(char c) { append(std::string_view(&c, 1)); }
  const char* data() const { return buffer_.bytes ? buffer_.data() : ""; }
  // For rewriting the text in place; null while it has no buffer.
  char* mutable_data() { return buffer_.data(); }
  // Keeps the first `size` bytes.
  void truncate(size_t size);
  size_t size() const { return buffer_.size; }
  bool empty() const { return buffer_.size == 0; }
  std::string_view view() const { return std::string_view(data(), size()); }
  // The text and its NUL; the builder is left empty.
  text_buffer release();

 private:
  text_buffer buffer_;
  size_t capacity_ = 0;  // bytes before the NUL's place
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
