#pragma once

#include "WaveFormat.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Reads a WAV file into memory and finds its chunks. Every offset and length
// is checked against the image, so a damaged file gives a clear failure
// (false or 0), never a read outside it.
class CWave {
public:
    // Frees any image held and reads the whole file. False when the file
    // cannot be read, is empty, or is larger than any sample could need.
    bool Open(const std::string& path);
    // The same for an image already in memory (empty images are refused too).
    bool OpenImage(std::vector<std::uint8_t> image);

    // The first 18 bytes of the "fmt " chunk (cbSize 0 when the chunk has
    // only 16). False without an image, a RIFF "WAVE" form or a complete
    // "fmt " chunk.
    bool GetFormat(WaveFormat& format) const;
    // Bytes of the "data" chunk that the file really holds; 0 when absent.
    std::uint32_t GetDataSize() const;
    // Zero-fills maxBytes of destination, then copies up to maxBytes from the
    // start of the "data" chunk. Returns the count copied.
    std::uint32_t ReadData(std::uint8_t* destination, std::uint32_t maxBytes) const;
    // The whole "data" chunk in a block of its own.
    std::vector<std::uint8_t> ReadData() const;

    bool isOpen() const { return !data_.empty(); }
    std::size_t size() const { return data_.size(); }

    // Larger files are refused: a sample uses at most 85000 bytes.
    static constexpr std::size_t kMaxFileBytes = 64u << 20;

private:
    struct Chunk {
        std::size_t offset; // first byte of the chunk body
        std::size_t size;   // body bytes present in the image
    };
    std::optional<Chunk> findChunk(const char (&id)[5]) const;

    std::vector<std::uint8_t> data_;
};
