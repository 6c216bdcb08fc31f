// The bit stream of one LZ77+Huffman block: MSB-first bits in 16-bit little-endian words, with
// the bytes of long match lengths placed where the decoder's cursor stands when it reads them,
// which is after the word holding the next unread bit and the word after that.
//
// Bits gather in a 64-bit accumulator and go out several words at a time into a word buffer;
// the bytes wait beside it with the word they follow, and finish() merges the two.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/bytes.h"

namespace px::xpress {

// Bytes to be placed after a given number of words.
struct WordInsert {
  uint32_t word;
  uint8_t count;
  uint8_t data[7];
};

// Scratch memory a WordWriter fills; kept between blocks so that writing allocates nothing.
struct WordBuffers {
  std::vector<uint8_t> words;
  std::vector<WordInsert> inserts;
};

// Lives on the stack for one block, so that its state stays in registers.
class WordWriter {
 public:
  // Words a block of `bits` bits takes: the bits padded to a word, and the word the decoder has
  // read ahead when the block ends.
  static constexpr uint64_t wordsFor(uint64_t bits) { return (bits + 15) / 16 + 1; }

  // Starts a block that will hold `words` words (wordsFor its bits).
  WordWriter(WordBuffers& buffers, size_t words) : buffers_(buffers) {
    if (buffers.words.size() < 2 * words + 8) buffers.words.resize(2 * words + 8);
    buffers.inserts.clear();
    first_ = next_ = buffers.words.data();
  }

  // Appends the low `n` bits of `value` (n <= 30; higher bits zero). At most 48 bits may be put
  // between two flush() calls.
  void put(uint32_t value, uint32_t n) {
    acc_ = (acc_ << n) | value;
    count_ += n;
  }

  // Moves the whole words out of the accumulator.
  void flush() {
    // The pending bits moved to the top, then their words reversed so that the first word is
    // stored first, each little-endian.
    const uint64_t top = (acc_ << 1) << (63 - count_);
    uint64_t swapped = (top >> 32) | (top << 32);
    swapped = ((swapped >> 16) & 0x0000FFFF0000FFFFull) | ((swapped & 0x0000FFFF0000FFFFull) << 16);
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(next_, &swapped, 8);
    } else {
      storeLe64(next_, swapped);
    }
    const uint32_t whole = count_ >> 4;
    next_ += 2 * whole;
    count_ -= 16 * whole;
  }

  // Places n (at most 7) bytes at the decoder's cursor as it stands after the bits put so far.
  void bytes(const uint8_t* data, uint32_t n) {
    WordInsert insert;
    insert.word = uint32_t(wordsFor(uint64_t(next_ - first_) * 8 + count_));
    insert.count = uint8_t(n);
    std::memcpy(insert.data, data, n);
    buffers_.inserts.push_back(insert);
  }

  // Pads the last word with zeros, adds the read-ahead word, and writes the block's words and
  // bytes at `out`, which has room for the words announced at construction plus the bytes.
  // Returns the end of what it wrote.
  uint8_t* finish(uint8_t* out) {
    put(0, (16 - (count_ & 15)) & 15);
    flush();
    put(0, 16);
    flush();
    size_t from = 0;
    for (const WordInsert& insert : buffers_.inserts) {
      std::memcpy(out, first_ + 2 * from, 2 * (insert.word - from));
      out += 2 * (insert.word - from);
      std::memcpy(out, insert.data, insert.count);
      out += insert.count;
      from = insert.word;
    }
    std::memcpy(out, first_ + 2 * from, size_t(next_ - first_) - 2 * from);
    return out + (size_t(next_ - first_) - 2 * from);
  }

 private:
  WordBuffers& buffers_;
  uint8_t* first_;
  uint8_t* next_;
  uint64_t acc_ = 0;
  uint32_t count_ = 0;
};

}  // namespace px::xpress
