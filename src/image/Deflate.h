#pragma once
// Deflate blocks (RFC 1951) written for speed rather than the smallest size:
// each block's bytes are coded with Huffman codes made for that block, and a
// byte repeated four or more times becomes one run. Filtered picture rows,
// where flat areas turn into long runs of zeros, shrink well so; a block that
// would not shrink is stored as it is.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pixkeeper {

// A run of the byte before: at its position in the block, of its length.
struct DeflateRun {
  std::uint32_t at, length;
};

class DeflateWriter {
 public:
  // Appends the blocks to `out`, which must outlive the writer.
  explicit DeflateWriter(std::vector<std::uint8_t>& out);

  // Codes the bytes as one block; the block marked last ends the stream and
  // fills its last byte. Runs never reach back into earlier blocks, so the
  // blocks of one writer may follow those of another.
  void Block(const std::uint8_t* data, std::size_t size, bool last);

  // Fills the last byte with an empty block, so that another writer's
  // blocks can follow.
  void Align();

 private:
  std::vector<std::uint8_t>& out_;
  std::vector<DeflateRun> runs_;
  std::uint64_t bits_ = 0;  // fewer than 8 not yet written, the oldest lowest
  unsigned bitCount_ = 0;
  bool ended_ = false;
};

}  // namespace pixkeeper
