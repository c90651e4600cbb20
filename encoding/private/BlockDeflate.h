#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace levyc {

// One zlib stream made from rows of bytes, compressed on every core in
// independent blocks of rows: each block but the last ends on a byte boundary
// (a sync flush), the last one ends the stream, and the stream's checksum is
// combined from the blocks' own. Any inflater reads it as one stream.
class BlockDeflate
{
public:
    struct Settings
    {
        int level = 6;
        int strategy = 0;
    };
    // Writes the bytes of one row; called from several threads at once.
    using RowSource = std::function<void(int row, std::uint8_t *bytes)>;
    // The share of the rows compressed so far, from 0 to 1.
    using Progress = std::function<void(double done)>;

    BlockDeflate(int rows, std::size_t rowBytes, Settings settings);

    // False when memory ran out. Progress is called on the calling thread.
    bool Run(const RowSource &source, const Progress &progress);

    // The stream in order, one part per block: the zlib header begins the
    // first and the checksum ends the last.
    [[nodiscard]] std::vector<std::vector<std::uint8_t>> &Parts() { return parts_; }

private:
    // Compresses blocks until none is left; the calling thread passes the
    // progress, a worker passes none.
    void Work(const RowSource &source, const Progress *progress);
    bool Compress(int block, const RowSource &source, const Progress *progress);

    int rows_;
    std::size_t rowBytes_;
    Settings settings_;
    int rowsPerBlock_;
    int blocks_;
    std::vector<std::vector<std::uint8_t>> parts_;
    std::vector<std::uint32_t> checksums_; // each block's Adler-32
    std::atomic<int> nextBlock_ = 0;
    std::atomic<int> rowsDone_ = 0;
    std::atomic<bool> failed_ = false;
};

} // namespace levyc
