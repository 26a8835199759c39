// The program's allocation of blocks: those of a few megabytes and more
// (the documents' bytes, their tokens, entities and tags) are aligned to
// 2 MiB and asked for in huge pages. Touched page by page, a buffer of tens
// of megabytes costs a page fault per 4 KiB, and on a virtual machine each
// fault is dear: reading a million-token file spent more time in faults
// than in reading. In huge pages the same buffer costs a fault per 2 MiB.
// Smaller blocks are malloc's as before. This replaces the program's
// operator new only: the library leaves its host's allocation alone.
// AddressSanitizer keeps its own allocator, which checks every block (gcc
// says so by a macro, clang by a feature).
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVANE_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define ORVANE_ADDRESS_SANITIZER 1
#endif

#if !defined(ORVANE_ADDRESS_SANITIZER)

#include <sys/mman.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <new>

namespace {

constexpr size_t huge_page = size_t{1} << 21;
// Below two huge pages the alignment's waste outweighs the faults saved.
constexpr size_t large_block = 2 * huge_page;

void* allocate(size_t size) {
  // (A size within a huge page of the largest would round to 0.)
  if (size >= large_block && size <= SIZE_MAX - huge_page) {
    const size_t rounded = (size + huge_page - 1) & ~(huge_page - 1);
    if (void* p = aligned_alloc(huge_page, rounded)) {
#ifdef MADV_HUGEPAGE
      // Only a hint: without huge pages to give, the pages stay small. The
      // block's last part short of a huge page keeps small pages, so that
      // less of a block partly used (room made for the most a document
      // may need) becomes resident untouched; the readers give back what
      // such room left unused. An allocation leaves errno as it was, which
      // callers may be about to read.
      const int saved = errno;
      madvise(p, size & ~(huge_page - 1), MADV_HUGEPAGE);
      errno = saved;
#endif
      return p;
    }
  }
  return malloc(size == 0 ? 1 : size);
}

}  // namespace

void* operator new(size_t size) {
  for (;;) {
    if (void* p = allocate(size)) {
      return p;
    }
    std::new_handler handler = std::get_new_handler();
    if (!handler) {
      throw std::bad_alloc();
    }
    handler();
  }
}

void* operator new[](size_t size) {
  return operator new(size);
}

void* operator new(size_t size, const std::nothrow_t&) noexcept {
  try {
    return operator new(size);
  } catch (...) {
    return nullptr;
  }
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept {
  return operator new(size, std::nothrow);
}

void operator delete(void* p) noexcept {
  free(p);
}
void operator delete[](void* p) noexcept {
  free(p);
}
void operator delete(void* p, size_t) noexcept {
  free(p);
}
void operator delete[](void* p, size_t) noexcept {
  free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
  free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
  free(p);
}

#endif
