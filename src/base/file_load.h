// Reading a whole document into memory.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

// A document's bytes followed by one NUL; the readers rewrite it in place.
struct text_buffer {
  std::unique_ptr<char[]> bytes;
  size_t size = 0;  // bytes before the NUL, as read from the file

  char* data() const { return bytes.get(); }
};

// A text built by appending, in one buffer sized for the longest it may
// grow to: handed on as a text_buffer without a copy. Bytes past the end
// stay untouched until appended (see give_back_unused for what the room
// left unused may cost).
class text_builder {
 public:
  text_builder() = default;
  // A builder moved from is left empty, as a string is.
  text_builder(text_builder&& o) noexcept;
  text_builder& operator=(text_builder&& o) noexcept;

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
  // Gives back the pages of the room made that the text did not fill.
  void give_back_unused() const;

 private:
  // Moves the text to a buffer of `capacity` bytes and returns the old one.
  std::unique_ptr<char[]> grow(size_t capacity);

  text_buffer buffer_;
  size_t capacity_ = 0;  // bytes before the NUL's place
};

// Gives the system back the whole pages within [begin, end): room a buffer
// made and did not use. Reading them again gives zeros. Room made for the
// most a document may need costs nothing while untouched, but where a
// buffer lies in huge pages its last, partly used huge page would stay
// resident whole.
void give_back_pages(const void* begin, const void* end);

template <typename T>
void give_back_unused(const std::vector<T>& v) {
  give_back_pages(v.data() + v.size(), v.data() + v.capacity());
}

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
