// Any bytes opened as a .tbf file.

#include "ScoreRoundTrip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    fuzz::openAndSave("fuzz.tbf", data, size);
    return 0;
}
