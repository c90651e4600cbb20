#include "private/BlockDeflate.h"

#include "parallel/EveryCore.h"

#include <zlib.h>

#include <algorithm>
#include <new>

namespace levyc {

namespace {

// Large enough that a block's flush costs nothing; small enough that the
// blocks share out evenly between cores.
constexpr std::size_t BlockBytes = std::size_t{4} << 20;
// Rows are made and compressed a slice at a time, so only a slice is held.
constexpr std::size_t SliceBytes = std::size_t{256} << 10;
constexpr std::size_t FirstOutputBytes = std::size_t{64} << 10;

void AppendBigEndian(std::vector<std::uint8_t> &bytes, std::uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

// The two bytes a zlib stream begins with: deflate with a 32 KiB window, and
// the level zlib itself would record for these settings.
void AppendHeader(std::vector<std::uint8_t> &bytes, BlockDeflate::Settings settings)
{
    const unsigned levelFlags = settings.strategy >= Z_HUFFMAN_ONLY || settings.level < 2 ? 0
                                : settings.level < 6                                      ? 1
                                : settings.level == 6                                     ? 2
                                                                                          : 3;
    unsigned header = (0x78U << 8) | (levelFlags << 6);
    header += 31 - header % 31;
    bytes.push_back(static_cast<std::uint8_t>(header >> 8));
    bytes.push_back(static_cast<std::uint8_t>(header));
}

// A raw deflate stream that ends itself, whatever way its owner leaves.
struct RawDeflater
{
    z_stream stream = {};
    bool open = false;

    bool Open(BlockDeflate::Settings settings)
    {
        open = deflateInit2(&stream, settings.level, Z_DEFLATED, -MAX_WBITS, 8, settings.strategy) == Z_OK;
        return open;
    }
    RawDeflater() = default;
    RawDeflater(const RawDeflater &) = delete;
    RawDeflater &operator=(const RawDeflater &) = delete;
    RawDeflater(RawDeflater &&) = delete;
    RawDeflater &operator=(RawDeflater &&) = delete;
    ~RawDeflater()
    {
        if (open) {
            deflateEnd(&stream);
        }
    }
};

} // namespace

BlockDeflate::BlockDeflate(int rows, std::size_t rowBytes, Settings settings)
    : rows_(rows)
    , rowBytes_(std::max<std::size_t>(rowBytes, 1))
    , settings_(settings)
    , rowsPerBlock_(static_cast<int>(std::clamp<std::size_t>(BlockBytes / rowBytes_, 1, std::max(rows, 1))))
    , blocks_(std::max(1, (rows + rowsPerBlock_ - 1) / rowsPerBlock_))
{
}

bool BlockDeflate::Run(const RowSource &source, const Progress &progress)
{
    parts_.assign(static_cast<std::size_t>(blocks_), {});
    checksums_.assign(static_cast<std::size_t>(blocks_), 1);
    nextBlock_ = 0;
    rowsDone_ = 0;
    failed_ = false;
    if (blocks_ == 1) {
        Work(source, &progress);
    } else {
        OnEveryCore([&] { Work(source, nullptr); },
                    [&] {
                        if (progress) {
                            progress(static_cast<double>(rowsDone_) / rows_);
                        }
                    });
    }
    if (failed_) {
        return false;
    }
    std::uint32_t checksum = checksums_[0];
    for (int block = 1; block < blocks_; ++block) {
        const int rows = std::min(rowsPerBlock_, rows_ - block * rowsPerBlock_);
        checksum = adler32_combine(checksum, checksums_[static_cast<std::size_t>(block)],
                                   static_cast<z_off_t>(static_cast<std::size_t>(rows) * rowBytes_));
    }
    AppendBigEndian(parts_.back(), checksum);
    return true;
}

void BlockDeflate::Work(const RowSource &source, const Progress *progress)
{
    for (int block = nextBlock_++; block < blocks_ && !failed_; block = nextBlock_++) {
        bool compressed = false;
        try {
            compressed = Compress(block, source, progress);
        } catch (const std::bad_alloc &) {
            compressed = false;
        }
        if (!compressed) {
            failed_ = true;
        }
    }
}

bool BlockDeflate::Compress(int block, const RowSource &source, const Progress *progress)
{
    const int first = block * rowsPerBlock_;
    const int end = std::min(rows_, first + rowsPerBlock_);
    const bool last = block == blocks_ - 1;
    const int rowsPerSlice = static_cast<int>(std::max<std::size_t>(1, SliceBytes / rowBytes_));
    std::vector<std::uint8_t> slice(static_cast<std::size_t>(std::min(rowsPerSlice, end - first)) * rowBytes_);
    std::vector<std::uint8_t> &out = parts_[static_cast<std::size_t>(block)];
    if (block == 0) {
        AppendHeader(out, settings_);
    }
    std::size_t used = out.size();
    out.resize(std::max(FirstOutputBytes, used + 16));

    RawDeflater deflater;
    if (!deflater.Open(settings_)) {
        return false;
    }
    z_stream &stream = deflater.stream;
    std::uint32_t checksum = adler32(0, nullptr, 0);
    for (int row = first; row < end && !failed_; row += rowsPerSlice) {
        const int rows = std::min(rowsPerSlice, end - row);
        for (int i = 0; i < rows; ++i) {
            source(row + i, slice.data() + static_cast<std::size_t>(i) * rowBytes_);
        }
        const auto length = static_cast<uInt>(static_cast<std::size_t>(rows) * rowBytes_);
        checksum = adler32(checksum, slice.data(), length);
        stream.next_in = slice.data();
        stream.avail_in = length;
        const int flush = row + rows < end ? Z_NO_FLUSH : last ? Z_FINISH : Z_SYNC_FLUSH;
        do {
            if (used == out.size()) {
                out.resize(out.size() * 2);
            }
            stream.next_out = out.data() + used;
            stream.avail_out = static_cast<uInt>(std::min<std::size_t>(out.size() - used, UINT32_MAX));
            const int result = deflate(&stream, flush);
            if (result == Z_STREAM_ERROR) {
                return false;
            }
            used = static_cast<std::size_t>(stream.next_out - out.data());
        } while (stream.avail_out == 0);
        rowsDone_ += rows;
        if (progress != nullptr && *progress) {
            (*progress)(static_cast<double>(rowsDone_) / rows_);
        }
    }
    out.resize(used);
    out.shrink_to_fit();
    checksums_[static_cast<std::size_t>(block)] = static_cast<std::uint32_t>(checksum);
    return !failed_;
}

} // namespace levyc
