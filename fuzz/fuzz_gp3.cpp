// Any bytes opened as a .gp3 file.

#include "ScoreRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::openAndSave("fuzz.gp3", data, size);
    return 0;
}
