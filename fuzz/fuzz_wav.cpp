// Any bytes as a sample file: read as the sound engine reads its bank.

#include "CWave.h"
#include "SampleData.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    constexpr std::uint32_t kBufferBytes = 85000; // the engine's sample buffer
    CWave wave;
    if (!wave.OpenImage(std::vector<std::uint8_t>(data, data + size)))
        return 0;
    WaveFormat format;
    const bool hasFormat = wave.GetFormat(format);
    const std::uint32_t dataSize = wave.GetDataSize();
    if (wave.ReadData().size() != dataSize)
        __builtin_trap();
    if (!hasFormat)
        return 0;
    std::vector<std::uint8_t> buffer(kBufferBytes);
    const std::uint32_t count = wave.ReadData(buffer.data(), kBufferBytes);
    if (count > kBufferBytes || count > dataSize)
        __builtin_trap();
    if (auto sample = sound::makeSample(format, buffer.data(), count, kBufferBytes)) {
        const std::size_t padded = static_cast<std::size_t>(sample->frames) + sound::SampleData::kPadBefore +
                                   sound::SampleData::kPadAfter;
        if (sample->frames < 0 || sample->left.size() < padded || (!sample->right.empty() && sample->right.size() < padded))
            __builtin_trap();
    }
    return 0;
}
