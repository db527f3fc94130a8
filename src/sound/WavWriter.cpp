#include "WavWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

namespace sound {

namespace {

void put(std::vector<char>& out, std::uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

} // namespace

WavWriter::~WavWriter()
{
    if (file_.is_open())
        close();
}

bool WavWriter::open(const std::string& path, const WaveFormat& format)
{
    if (!format.isSupportedEncoding())
        return false;
    format_ = format;
    format_.cbSize = 0;
    dataBytes_ = 0;
    failed_ = false;
    file_.open(path, std::ios::binary | std::ios::trunc);
    if (!file_)
        return false;
    writeHeader(0);
    return static_cast<bool>(file_);
}

void WavWriter::writeHeader(std::uint32_t dataBytes)
{
    std::vector<char> h;
    h.insert(h.end(), {'R', 'I', 'F', 'F'});
    put(h, 36 + dataBytes + (dataBytes & 1), 4);
    h.insert(h.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put(h, 16, 4);
    put(h, format_.formatTag, 2);
    put(h, format_.channels, 2);
    put(h, format_.samplesPerSec, 4);
    put(h, format_.samplesPerSec * format_.blockAlign, 4);
    put(h, format_.blockAlign, 2);
    put(h, format_.bitsPerSample, 2);
    h.insert(h.end(), {'d', 'a', 't', 'a'});
    put(h, dataBytes, 4);
    file_.write(h.data(), static_cast<std::streamsize>(h.size()));
}

bool WavWriter::write(const float* interleaved, int frames)
{
    if (!file_.is_open() || frames <= 0)
        return file_.is_open();
    const std::size_t count = static_cast<std::size_t>(frames) * format_.channels;
    const int width = format_.bitsPerSample / 8;
    std::vector<char> out;
    out.reserve(count * static_cast<std::size_t>(width));
    for (std::size_t i = 0; i < count; ++i) {
        const float x = std::clamp(interleaved[i], -1.0f, 1.0f);
        if (format_.formatTag == WaveFormat::kFloat) {
            std::uint32_t bits;
            std::memcpy(&bits, &x, sizeof bits);
            put(out, bits, 4);
        } else if (width == 1) {
            out.push_back(static_cast<char>(std::lrint(x * 127.0f) + 128));
        } else {
            const double full = std::ldexp(1.0, format_.bitsPerSample - 1) - 1.0;
            const auto v = static_cast<std::int32_t>(std::lrint(x * full));
            put(out, static_cast<std::uint32_t>(v), width);
        }
    }
    file_.write(out.data(), static_cast<std::streamsize>(out.size()));
    dataBytes_ += out.size();
    if (!file_)
        failed_ = true;
    return !failed_;
}

bool WavWriter::close()
{
    if (!file_.is_open())
        return false;
    const auto bytes = static_cast<std::uint32_t>(std::min<std::uint64_t>(dataBytes_, std::numeric_limits<std::uint32_t>::max() - 64));
    if (bytes & 1)
        file_.put('\0');
    file_.seekp(0);
    writeHeader(bytes);
    file_.close();
    return !failed_ && !file_.fail();
}

} // namespace sound
