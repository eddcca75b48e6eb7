// Reading a large binary block on two threads.
//
// A block of millions of lines costs three things: the kernel's copy of the
// file into the stream block, the decoding from there into the caller's
// columns, and a page fault for every fresh page of those columns (the kernel
// zeroes each one). No line depends on another, so the calling thread and one
// helper share the block: each takes the next piece nobody has taken, reads it
// at its own position of the file into its own half of the stream block, and
// decodes it. Handing pieces read by one thread to the other instead would
// move every byte between the processors' caches, and the one reading would
// wait for the one decoding. Nothing is allocated here, so no memory failure
// can come from it.
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "io/keyword_file_record.hpp"

namespace gridlume {

namespace {

// The helper only reads and decodes.
constexpr std::size_t helper_stack_bytes = std::size_t{256} << 10;
constexpr std::size_t reading_threads = 2;

bool has_second_processor() {
  static const bool answer = sysconf(_SC_NPROCESSORS_ONLN) >= 2;
  return answer;
}

struct SharedBlock {
  int descriptor;
  std::int64_t start;  // file position of the first line
  std::size_t line_bytes;
  std::size_t line_count;
  std::size_t piece_lines;
  std::size_t piece_count;
  std::size_t first_number;  // what `take` calls the first line
  KeywordFile::TakeLines take;
  void *user;
  std::atomic<std::size_t> next_piece{0};
  // The lines before the first one that could not be read.
  std::atomic<std::size_t> lines_read;
};

struct Reader {
  SharedBlock *block;
  char *buffer;  // room for one piece
};

// Bytes read at `position`, up to `wanted`; fewer at the end of the file or
// on a read error.
std::size_t read_at(int descriptor, char *buffer, std::size_t wanted, std::int64_t position) {
  std::size_t got = 0;
  while (got < wanted) {
    ssize_t n = pread(descriptor, buffer + got, wanted - got,
                      static_cast<off_t>(position + static_cast<std::int64_t>(got)));
    if (n > 0) {
      got += static_cast<std::size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else {
      break;
    }
  }
  return got;
}

void read_pieces(const Reader &reader) {
  SharedBlock &block = *reader.block;
  for (;;) {
    const std::size_t piece = block.next_piece.fetch_add(1, std::memory_order_relaxed);
    if (piece >= block.piece_count) return;
    const std::size_t first = piece * block.piece_lines;
    const std::size_t lines =
        block.line_count - first < block.piece_lines ? block.line_count - first : block.piece_lines;
    const std::size_t got =
        read_at(block.descriptor, reader.buffer, lines * block.line_bytes,
                block.start + static_cast<std::int64_t>(first * block.line_bytes));
    const std::size_t whole = got / block.line_bytes;
    if (whole > 0) block.take(block.user, reader.buffer, whole, block.first_number + first);
    if (whole < lines) {
      // The file ends here; the pieces after it come back empty.
      std::size_t known = block.lines_read.load(std::memory_order_relaxed);
      while (first + whole < known &&
             !block.lines_read.compare_exchange_weak(known, first + whole,
                                                     std::memory_order_relaxed)) {
      }
      return;
    }
  }
}

void *helper_main(void *argument) {
  read_pieces(*static_cast<const Reader *>(argument));
  return nullptr;
}

}  // namespace

std::size_t KeywordFile::read_on_two_threads(std::size_t line_bytes, std::size_t line_count,
                                             TakeLines take, void *user) {
  if (line_bytes == 0 || line_count == 0 || end_of_file_ || !has_second_processor() ||
      line_count * line_bytes < two_thread_block_bytes)
    return 0;
  const std::size_t piece_bytes = stream_buffer_size / reading_threads;
  const std::size_t piece_lines = piece_bytes / line_bytes;
  const int descriptor = fileno(stream);
  // Positioned reads need a file that can be positioned.
  if (piece_lines == 0 || descriptor < 0 || lseek(descriptor, 0, SEEK_CUR) < 0) return 0;

  // The whole lines held go first; the rest is read from the file, from the
  // cursor on.
  std::size_t handed = (length_ - cursor_) / line_bytes;
  if (handed > line_count) handed = line_count;
  if (handed > 0) take(user, buffer_.get() + cursor_, handed, 0);
  cursor_ += handed * line_bytes;
  if (handed == line_count) return handed;

  SharedBlock block;
  block.descriptor = descriptor;
  block.start = position();
  block.line_bytes = line_bytes;
  block.line_count = line_count - handed;
  block.piece_lines = piece_lines;
  block.piece_count = (block.line_count + piece_lines - 1) / piece_lines;
  block.first_number = handed;
  block.take = take;
  block.user = user;
  block.lines_read.store(block.line_count, std::memory_order_relaxed);
  const Reader own{&block, buffer_.get()};
  Reader helpers{&block, buffer_.get() + piece_bytes};

  pthread_attr_t attributes;
  if (pthread_attr_init(&attributes) != 0) return handed;
  const std::size_t minimum_stack = PTHREAD_STACK_MIN;
  pthread_attr_setstacksize(&attributes,
                            helper_stack_bytes < minimum_stack ? minimum_stack : helper_stack_bytes);
  pthread_t helper;
  const bool started =
      pthread_create(&helper, &attributes, helper_main, &helpers) == 0;
  pthread_attr_destroy(&attributes);
  // Without a helper the caller's own block reads go on from the cursor.
  if (!started) return handed;
  read_pieces(own);
  pthread_join(helper, nullptr);

  // The stream goes on right after the lines read; what the block held is
  // gone, overwritten by the pieces.
  const std::size_t read = block.lines_read.load(std::memory_order_relaxed);
  buffer_offset_ = block.start + static_cast<std::int64_t>(read * line_bytes);
  cursor_ = length_ = 0;
  if (fseeko(stream, buffer_offset_, SEEK_SET) != 0) {
    ++error_count;
    end_of_file_ = true;
  }
  return handed + read;
}

}  // namespace gridlume
