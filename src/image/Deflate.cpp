#include "image/Deflate.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <utility>

#include "image/CpuFeatures.h"
#include "image/DeflateBlock.h"
#include "image/LowestSetBit.h"

namespace pixkeeper {
namespace {

using namespace deflate;

constexpr std::uint32_t kKeep = 32768 + 1;           // the window, and a byte held for the next match
constexpr std::uint32_t kBufferBytes = 96 * 1024;    // the window and the bytes coded next
constexpr std::uint32_t kLookahead = kMaxLength + 5;  // what a position and the next need in front of them
constexpr std::size_t kBlockTokens = 16384;          // literals and matches of a block, whose codes fit them
// Blocks of bytes sent as literals alone are kFirstPlainBytes long, doubling
// up to kPlainBytes while matches do not pay; each is followed by a short one,
// searched again to see whether matches pay by then. Such a probe sees the
// last kProbeHistory bytes before it, every kHistoryStep-th position of them:
// a repeat is found a few bytes into the probe all the same, for an eighth of
// the work, and the short probe keeps a photo's search to a few per cent of it.
constexpr std::uint32_t kPlainBytes = 65536, kFirstPlainBytes = 8192, kProbeBytes = 512;
constexpr std::uint32_t kProbeHistory = 8192, kHistoryStep = 8;
static_assert(kPlainBytes <= 65536, "a run's position in its block fits in 16 bits");
constexpr std::size_t kMostRuns = kPlainBytes / 4;  // each at least four bytes long
constexpr std::uint32_t kRunsWorth = 32;  // runs are coded when they cover 1 / kRunsWorth of a block

// How hard each position is searched: kTries earlier positions, a quarter as
// many behind a match of kGoodLength or after kFewerAfter positions in a row
// without a match worth taking (a wallpaper's smooth stretch, where the search
// would cost most and find least); every match is held to compare with the
// one at the next position, one shorter than kSurelyWorth is taken only when
// its codes cost kWorthMargin bits fewer than its bytes' would: the costs are
// the last block's, and a match that barely beats its literals there
// lengthens their codes in this one. Screen content repeats at every distance,
// so the positions inside a match are recorded too, but for a long run of the
// pixel before (a distance of at most kRunDistance), where only the last
// kRunTail, next to what follows the run, are worth finding.
constexpr unsigned kTries = 16, kFewerAfter = 8;
constexpr std::uint32_t kGoodLength = 32, kSurelyWorth = 32, kWorthMargin = 3, kRunDistance = 4, kRunTail = 16;
// A probe's matches must save 1 / kPaysFraction of its block for the search
// to start: in a noisy photo short matches save a little at the cost of a
// long search. Once started, it goes on while they save 1 / kKeepsPaying:
// between windows, a wallpaper's smooth stretches save about a quarter.
constexpr std::uint64_t kPaysFraction = 3, kKeepsPaying = 5;

// Whether a run of four can begin in the next five bytes after `p[0]`:
// somewhere in p[0..8] five equal bytes follow each other. Eight bytes are
// compared with their neighbours at once; in pictures with detail most
// windows have none and are passed over whole.
bool RunInWindow(const std::uint8_t* p) {
  std::uint64_t here, next;
  std::memcpy(&here, p, 8);
  std::memcpy(&next, p + 1, 8);
  const std::uint64_t differ = here ^ next, low7 = 0x7F7F7F7F7F7F7F7Full;
  // 0x80 in exactly the bytes that are 0: where neighbours are equal.
  const std::uint64_t same = ~(((differ & low7) + low7) | differ | low7);
  // Four such bytes in a row, in either byte order.
  return (same & same >> 8 & same >> 16 & same >> 24) != 0;
}

#if PIXKEEPER_SSE2
constexpr std::uint32_t kRunScan = 13;  // starts looked at in one step of 16 bytes

// The offset from `p` of the first of p[0..12] that four equal bytes follow,
// or kRunScan when there is none: sixteen bytes compared with their
// neighbours at once.
std::uint32_t RunStart(const std::uint8_t* p) {
  const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
  const unsigned same = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(here, next)));
  const unsigned starts = same & same >> 1 & same >> 2 & same >> 3 & ((1u << kRunScan) - 1);
  return starts == 0 ? kRunScan : LowestSetBit(starts);
}
#endif

}  // namespace

namespace {

// The window, the match finder's tables and the block's tokens of the last
// writer on this thread, kept for the next: fresh memory for each stripe of
// each picture is slow to take on some systems.
struct KeptMemory {
  std::vector<std::uint8_t> buffer;
  MatchFinder finder;
  std::vector<std::uint32_t> tokens;
  std::vector<DeflateWriter::Run> runs;
};

KeptMemory& Kept() {
  static thread_local KeptMemory kept;
  return kept;
}

}  // namespace

DeflateWriter::DeflateWriter(std::vector<std::uint8_t>& out) : out_(out) {
  buffer_.swap(Kept().buffer);
  buffer_.resize(kBufferBytes);
  std::swap(finder_, Kept().finder);
  finder_.Reset();
  tokens_.swap(Kept().tokens);
  tokens_.clear();
  tokens_.reserve(kBlockTokens);
  runs_.swap(Kept().runs);
  runs_.clear();
  runs_.reserve(kMostRuns);
  // Before the first block: bytes as they are, length and distance codes of middling length.
  std::fill(std::begin(cost_), std::end(cost_), std::uint8_t{6});
  std::fill(std::begin(cost_), std::begin(cost_) + 256, std::uint8_t{8});
}

DeflateWriter::~DeflateWriter() {
  buffer_.swap(Kept().buffer);
  std::swap(finder_, Kept().finder);
  tokens_.swap(Kept().tokens);
  runs_.swap(Kept().runs);
}

void DeflateWriter::KeepMemory() {
  std::vector<std::uint8_t> out;
  DeflateWriter(out).Finish(true);
}

void DeflateWriter::Preset(const std::uint8_t* data, std::size_t size) {
  const std::size_t kept = std::min<std::size_t>(size, kKeep);
  std::copy(data + size - kept, data + size, buffer_.begin());
  end_ = at_ = blockStart_ = static_cast<std::uint32_t>(kept);
  // The first block is a probe: it sees every kHistoryStep-th position of
  // the bytes before it, and all of them once its matches pay (see RecordAll).
  RecordHistory(end_, end_);
  presetPending_ = true;
}

void DeflateWriter::RecordHistory(std::uint32_t before, std::uint32_t span) {
  for (std::uint32_t p = before > span ? before - span : 0; p < before && p + 4 <= end_; p += kHistoryStep) {
    finder_.Insert(buffer_.data(), p);
  }
}

void DeflateWriter::RecordAll(std::uint32_t before) {
  // Positions must be recorded oldest first: the finder starts afresh.
  finder_.Reset();
  for (std::uint32_t p = 0; p < before && p + 4 <= end_; ++p) finder_.Insert(buffer_.data(), p);
}

void DeflateWriter::Write(const std::uint8_t* data, std::size_t size) {
  while (size > 0) {
    if (end_ == buffer_.size()) MakeRoom();
    const std::size_t n = std::min<std::size_t>(size, buffer_.size() - end_);
    std::memcpy(buffer_.data() + end_, data, n);
    end_ += static_cast<std::uint32_t>(n);
    data += n, size -= n;
    if (end_ > kLookahead) Code(end_ - kLookahead);
  }
}

void DeflateWriter::Finish(bool last) {
  if (ended_) return;
  Code(end_);
  if (waiting_.length != 0) Copy(at_ - 1, waiting_);
  if (last || at_ != blockStart_) EndBlock(last);
  if (last) return;
  // An empty stored block, not the last, fills the byte.
  const std::size_t start = out_.size();
  out_.resize(start + 16);
  BitOut out{out_.data() + start, bits_, bitCount_};
  out.Put(0, 3);
  out.ToByte();
  out.Put(0xFFFF0000u, 32);
  out_.resize(static_cast<std::size_t>(out.at - out_.data()));
  bits_ = out.bits;
  bitCount_ = out.count;
}

void DeflateWriter::Code(std::uint32_t limit) {
  const std::uint8_t* const data = buffer_.data();
  while (at_ < limit) {
    const std::uint32_t blockBytes = at_ - blockStart_;
    if (tokens_.size() >= kBlockTokens || (mode_ == Mode::kPlain && blockBytes >= plainBytes_) ||
        (mode_ == Mode::kProbe && blockBytes >= kProbeBytes)) {
      EndBlock(false);
    }
    if (mode_ == Mode::kPlain) {  // literals, and runs of the byte before
      const std::uint32_t n = std::min(limit - at_, blockStart_ + plainBytes_ - at_);
      CountBytes(data + at_, n, literalCounts_);
      if (runsPay_) FindRuns(at_, n);
      at_ += n;
      continue;
    }
    const std::uint32_t room = std::min(kMaxLength, end_ - at_);
    Match found;
    if (room >= 4) {
      // A probe only asks whether matches pay: the first few positions tell.
      const bool fewer = waiting_.length >= kGoodLength || mode_ == Mode::kProbe || misses_ >= kFewerAfter;
      found = finder_.Find(data, at_, room, fewer ? kTries / 4 : kTries, waiting_.length != 0 ? waiting_.length : 2);
      if (found.length != 0 && found.length < kSurelyWorth && !Worth(data + at_, found)) found = Match{};
      misses_ = found.length != 0 ? 0 : misses_ + 1;
    }
    if (waiting_.length != 0) {
      if (found.length <= waiting_.length) {
        Copy(at_ - 1, waiting_);
        continue;
      }
      Literal(data[at_ - 1]);  // the match here is the longer one
      waiting_ = found;
    } else if (found.length != 0) {
      waiting_ = found;
    } else {
      Literal(data[at_++]);
      continue;
    }
    if (waiting_.length >= kMaxLength) {
      Copy(at_, waiting_);
      continue;
    }
    ++at_;
  }
}

void DeflateWriter::FindRuns(std::uint32_t from, std::uint32_t size) {
  const std::uint8_t* const data = buffer_.data() + from;
  for (std::uint32_t i = 1; i < size;) {
#if PIXKEEPER_SSE2
    if (i + 16 <= size) {
      const std::uint32_t start = RunStart(data + i - 1);
      i += start;
      if (start == kRunScan) continue;
    } else
#endif
    if (i + 8 <= size && !RunInWindow(data + i - 1)) {
      i += 5;
      continue;
    }
    // Each byte equal to the one before it: all equal to data[i - 1].
    std::uint32_t run = MatchLength(data + i, data + i - 1, size - i);
    const std::uint32_t end = i + std::max<std::uint32_t>(run, 1);
    while (run >= 4) {
      // Never leave a piece shorter than a run is worth.
      std::uint32_t length = std::min(run, kMaxLength);
      if (run - length != 0 && run - length < 4) length -= 4;
      runs_.push_back({static_cast<std::uint16_t>(from + i - blockStart_), static_cast<std::uint16_t>(length)});
      runBytes_ += length;
      run -= length;
      i += length;
    }
    i = end;
  }
}

bool DeflateWriter::Worth(const std::uint8_t* bytes, Match match) const {
  // In bits, as the last block's codes would have sent them.
  const LengthCode& l = LengthCodes()[match.length];
  const DistanceCode d = DistanceCodeOf(match.distance);
  std::uint32_t literals = 0;
  for (std::uint32_t k = 0; k < match.length; ++k) literals += cost_[bytes[k]];
  const std::uint32_t bits = std::uint32_t{cost_[l.symbol]} + l.extraBits + cost_[kLitLenSymbols + d.symbol] + d.extraBits;
  return bits + kWorthMargin < literals;
}

void DeflateWriter::Literal(std::uint8_t byte) {
  tokens_.push_back(byte);
  ++literalCounts_[byte];
}

void DeflateWriter::Copy(std::uint32_t at, Match match) {
  tokens_.push_back(match.length | match.distance << 16);
  const LengthCode& l = LengthCodes()[match.length];
  const DistanceCode d = DistanceCodeOf(match.distance);
  ++literalCounts_[l.symbol];
  ++distanceCounts_[d.symbol];
  extraBits_ += l.extraBits + d.extraBits;
  // The position after `at` that the search has seen, then the rest.
  const std::uint32_t end = at + match.length;
  std::uint32_t from = at_ + 1;
  if (match.distance <= kRunDistance && end > from + kRunTail) from = end - kRunTail;
  for (std::uint32_t p = from; p < end && p + 4 <= end_; ++p) finder_.Insert(buffer_.data(), p);
  at_ = end;
  waiting_ = Match{};
}

void DeflateWriter::EndBlock(bool last) {
  const std::uint32_t blockEnd = at_ - (waiting_.length != 0 ? 1 : 0);
  const std::uint8_t* const bytes = buffer_.data() + blockStart_;
  const std::size_t raw = blockEnd - blockStart_;
  const Mode mode = mode_;
  literalCounts_[kEndOfBlock] = 1;
  BlockCodes codes;
  bool matched = false, pays = false;
  if (mode == Mode::kPlain) {
    // Runs that cover little of the block are not worth their codes.
    matched = runBytes_ * kRunsWorth >= raw;
    const auto& lengthCodes = LengthCodes();
    if (matched) {
      for (const Run& run : runs_) {
        literalCounts_[bytes[run.at - 1]] -= run.length;
        ++literalCounts_[lengthCodes[run.length].symbol];
        ++distanceCounts_[0];
        extraBits_ += lengthCodes[run.length].extraBits;
      }
    }
    MakeCodes(literalCounts_, distanceCounts_, extraBits_, codes);
  } else {
    MakeCodes(literalCounts_, distanceCounts_, extraBits_, codes);
    // Where bytes vary in small steps (photos) short matches cost more than
    // the literals they replace, by lengthening the literals' codes: such a
    // block goes as literals alone when that is smaller. Where matches save
    // little, searching for them costs more time than it is worth: the next
    // blocks go as literals without a search, but for a short one now and then.
    matched = std::any_of(distanceCounts_, distanceCounts_ + kDistanceSymbols, [](std::uint32_t n) { return n != 0; });
    if (matched) {
      std::uint32_t plain[kLitLenSymbols] = {};
      CountBytes(bytes, raw, plain);
      plain[kEndOfBlock] = 1;
      const std::uint32_t noDistances[kDistanceSymbols] = {};
      BlockCodes plainCodes;
      MakeCodes(plain, noDistances, 0, plainCodes);
      pays = codes.bits < plainCodes.bits - plainCodes.bits / (mode == Mode::kSearch ? kKeepsPaying : kPaysFraction);
      if (plainCodes.bits < codes.bits) codes = std::move(plainCodes), matched = false;
    }
  }
  // Runs are looked for again after a block that was searched, or one whose
  // runs paid; a probe whose matches did not pay leaves the choice as it was.
  runsPay_ = mode == Mode::kPlain ? matched : mode == Mode::kSearch || pays || runsPay_;
  // A match waiting for the next position is taken in the next block, which
  // must search. Blocks go unsearched twice as long after each searched one
  // in a row that did not pay, so that a photo is soon coded as fast as it
  // can be, while text below it is searched again within a few blocks.
  unpaid_ = pays ? 0 : unpaid_ + (mode == Mode::kPlain ? 0 : 1);
  plainBytes_ = std::min(kPlainBytes, kFirstPlainBytes << std::min(unpaid_, 3u));
  mode_ = pays ? Mode::kSearch : (waiting_.length != 0 || mode == Mode::kPlain) ? Mode::kProbe : Mode::kPlain;
  // The positions of a block not searched were not recorded: a probe sees
  // the last few rows before it, where most of a screen's repeats lie. A
  // search that follows the first probe sees all of the bytes before it:
  // screen content repeats the rows above it.
  if (mode == Mode::kPlain) RecordHistory(blockEnd, kProbeHistory);
  if (presetPending_ && mode_ == Mode::kSearch) RecordAll(at_);
  presetPending_ = false;
  // A symbol the block did not use is taken as rare in the next one.
  for (int s = 0; s < kLitLenSymbols + kDistanceSymbols; ++s) cost_[s] = codes.lengths[s] != 0 ? codes.lengths[s] : kMaxBits;
  const std::uint64_t storedBits = StoredBits(raw);

  const std::size_t start = out_.size();
  out_.resize(start + static_cast<std::size_t>(std::min(codes.bits, storedBits) / 8) + 32);
  BitOut out{out_.data() + start, bits_, bitCount_};
  if (storedBits <= codes.bits) {
    PutStored(out, bytes, raw, last);
  } else {
    PutHeader(out, codes, last);
    if (matched && mode != Mode::kPlain) {
      PutTokens(out, tokens_, codes);
    } else {
      PutLiterals(out, bytes, raw, runs_.data(), matched ? runs_.size() : 0, codes);
    }
  }
  if (last) {
    out.ToByte();
    ended_ = true;
  }
  out_.resize(static_cast<std::size_t>(out.at - out_.data()));
  bits_ = out.bits;
  bitCount_ = out.count;

  tokens_.clear();
  runs_.clear();
  runBytes_ = 0;
  std::fill(std::begin(literalCounts_), std::end(literalCounts_), 0u);
  std::fill(std::begin(distanceCounts_), std::end(distanceCounts_), 0u);
  extraBits_ = 0;
  blockStart_ = blockEnd;
}

void DeflateWriter::MakeRoom() {
  // Keep the window behind the next position; a block must still have all its bytes, should it be stored.
  const std::uint32_t from = at_ > kKeep ? at_ - kKeep : 0;
  if (blockStart_ < from) EndBlock(false);
  std::memmove(buffer_.data(), buffer_.data() + from, end_ - from);
  end_ -= from, at_ -= from, blockStart_ -= from;
  finder_.Slide(from);
}

}  // namespace pixkeeper
