#include "CWave.h"

#include <algorithm>
#include <cstring>
#include <fstream>

namespace {

std::uint32_t le32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::uint16_t le16(const std::uint8_t* p)
{
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}

bool hasId(const std::uint8_t* p, const char* id)
{
    return std::memcmp(p, id, 4) == 0;
}

} // namespace

bool CWave::Open(const std::string& path)
{
    data_.clear();
    data_.shrink_to_fit();
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return false;
    const std::streamoff length = in.tellg();
    if (length <= 0 || static_cast<std::uint64_t>(length) > kMaxFileBytes)
        return false;
    std::vector<std::uint8_t> image(static_cast<std::size_t>(length));
    in.seekg(0);
    in.read(reinterpret_cast<char*>(image.data()), length);
    if (in.gcount() != length)
        return false;
    data_ = std::move(image);
    return true;
}

bool CWave::OpenImage(std::vector<std::uint8_t> image)
{
    data_.clear();
    if (image.empty() || image.size() > kMaxFileBytes)
        return false;
    data_ = std::move(image);
    return true;
}

// Finds the RIFF form of type "WAVE" among the top-level chunks, then the
// wanted chunk inside it, skipping others in any order (bodies are padded to
// an even length). Sizes that run past the end are cut to what is there.
std::optional<CWave::Chunk> CWave::findChunk(const char (&id)[5]) const
{
    const std::size_t fileEnd = data_.size();
    std::size_t pos = 0;
    while (pos + 12 <= fileEnd) {
        const std::uint8_t* header = data_.data() + pos;
        const std::size_t declared = le32(header + 4);
        const std::size_t body = pos + 8;
        if (hasId(header, "RIFF") && hasId(header + 8, "WAVE")) {
            // A writer that never patched the size leaves it too small to
            // hold the form type: then the form runs to the end of the file.
            const std::size_t formEnd = declared < 4 ? fileEnd : std::min(fileEnd, body + declared);
            std::size_t at = body + 4;
            while (at + 8 <= formEnd) {
                const std::uint8_t* chunk = data_.data() + at;
                const std::size_t size = le32(chunk + 4);
                const std::size_t start = at + 8;
                if (hasId(chunk, id))
                    return Chunk{start, std::min(size, formEnd - start)};
                at = start + size + (size & 1);
            }
            return std::nullopt;
        }
        pos = body + declared + (declared & 1);
    }
    return std::nullopt;
}

bool CWave::GetFormat(WaveFormat& format) const
{
    const auto chunk = findChunk("fmt ");
    if (!chunk || chunk->size < 16)
        return false;
    const std::uint8_t* p = data_.data() + chunk->offset;
    WaveFormat f;
    f.formatTag = le16(p);
    f.channels = le16(p + 2);
    f.samplesPerSec = le32(p + 4);
    f.avgBytesPerSec = le32(p + 8);
    f.blockAlign = le16(p + 12);
    f.bitsPerSample = le16(p + 14);
    f.cbSize = chunk->size >= 18 ? le16(p + 16) : 0;
    format = f;
    return true;
}

std::uint32_t CWave::GetDataSize() const
{
    const auto chunk = findChunk("data");
    return chunk ? static_cast<std::uint32_t>(chunk->size) : 0;
}

std::uint32_t CWave::ReadData(std::uint8_t* destination, std::uint32_t maxBytes) const
{
    if (!destination)
        return 0;
    std::memset(destination, 0, maxBytes);
    const auto chunk = findChunk("data");
    if (!chunk)
        return 0;
    const auto count = static_cast<std::uint32_t>(std::min<std::size_t>(chunk->size, maxBytes));
    std::memcpy(destination, data_.data() + chunk->offset, count);
    return count;
}

std::vector<std::uint8_t> CWave::ReadData() const
{
    const auto chunk = findChunk("data");
    if (!chunk)
        return {};
    const auto* begin = data_.data() + chunk->offset;
    return std::vector<std::uint8_t>(begin, begin + chunk->size);
}
