#pragma once
// Deflate streams (RFC 1951). Each position's bytes are looked up among the
// last 32 KB (see MatchFinder) and, when the match there is not beaten by the
// one at the next position, sent as a length and distance; the rest go as
// literals. Every block gets Huffman codes made for it; a block that would not
// shrink is stored as it is.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image/MatchFinder.h"

namespace pixkeeper {

class DeflateWriter {
 public:
  // Appends the blocks to `out`, which must outlive the writer.
  explicit DeflateWriter(std::vector<std::uint8_t>& out);
  ~DeflateWriter();
  DeflateWriter(const DeflateWriter&) = delete;
  DeflateWriter& operator=(const DeflateWriter&) = delete;

  // The bytes that come just before this writer's in the stream, coded by
  // another writer: matches may reach back into them. Before any Write.
  void Preset(const std::uint8_t* data, std::size_t size);

  // Codes the bytes, in blocks whose matches may reach back into earlier ones.
  void Write(const std::uint8_t* data, std::size_t size);

  // Codes what is left. The block marked last ends the stream and fills its
  // last byte; otherwise an empty block fills it, so that another writer's
  // blocks can follow.
  void Finish(bool last);

  // Takes now the memory that writers on this thread keep for the next one.
  static void KeepMemory();

  // A run of the byte before, from its position in its block. Runs are
  // looked for only in blocks of literals, which are at most 64 KB long.
  struct Run {
    std::uint16_t at, length;
  };

 private:
  void Code(std::uint32_t limit);
  void FindRuns(std::uint32_t from, std::uint32_t size);
  bool Worth(const std::uint8_t* bytes, Match match) const;
  void Literal(std::uint8_t byte);
  void Copy(std::uint32_t at, Match match);
  void EndBlock(bool last);
  void RecordHistory(std::uint32_t before, std::uint32_t span);
  void RecordAll(std::uint32_t before);
  void MakeRoom();

  std::vector<std::uint8_t>& out_;
  std::vector<std::uint8_t> buffer_;  // the window, then the bytes not yet coded
  std::uint32_t end_ = 0;             // bytes in the buffer
  std::uint32_t at_ = 0;              // the next position to look at
  std::uint32_t blockStart_ = 0;      // the first byte of the block being gathered
  Match waiting_;                     // found at at_ - 1, held to compare with the next one
  unsigned misses_ = 0;               // positions in a row searched without a match worth taking
  enum class Mode { kSearch, kProbe, kPlain } mode_ = Mode::kProbe;  // how the block being gathered is coded
  unsigned unpaid_ = 0;               // searched blocks in a row where matches did not pay
  std::uint32_t plainBytes_ = 0;      // of the next block that is not searched
  MatchFinder finder_;
  std::vector<std::uint32_t> tokens_;  // a byte, or a length with its distance above bit 16
  std::vector<Run> runs_;
  std::uint32_t runBytes_ = 0;  // of the byte before, in a block that is not searched
  bool runsPay_ = true;         // runs are looked for in the next block that is not searched
  bool presetPending_ = false;  // the bytes given to Preset are recorded only sparsely yet
  std::uint32_t literalCounts_[286] = {}, distanceCounts_[30] = {};
  std::uint64_t extraBits_ = 0;
  std::uint8_t cost_[286 + 30];  // bits of each literal, length and distance symbol in the last block
  std::uint64_t bits_ = 0;  // fewer than 8 not yet written, the oldest lowest
  unsigned bitCount_ = 0;
  bool ended_ = false;
};

}  // namespace pixkeeper
