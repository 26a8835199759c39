#include "corpus/progress_line.h"

void progress_line::update(size_t done) {
  if (!on_) {
    return;
  }
  const auto now = clock::now();
  if (shown_ && done < total_ && now - last_ < std::chrono::milliseconds(100)) {
    return;
  }
  shown_ = true;
  last_ = now;
  const double seconds = std::chrono::duration<double>(now - start_).count();
  const double rate = seconds > 0 ? done / seconds : 0;
  const long left = rate > 0 ? static_cast<long>((total_ - done) / rate + 0.5) : 0;
  fprintf(err_, "\r%zu/%zu %s  %.1f %s/s  %ld:%02ld left ", done, total_, unit_, rate, unit_,
          left / 60, left % 60);
  fflush(err_);
}

void progress_line::clear() {
  if (shown_) {
    fputs("\r\033[K", err_);
    fflush(err_);
    shown_ = false;
  }
}
