#include "GpImport.h"

// Guitar Pro files cannot be read yet: every import fails.
bool importGp3(CTabDoc&, const std::uint8_t*, std::size_t)
{
    return false;
}

bool importGp4(CTabDoc&, const std::uint8_t*, std::size_t)
{
    return false;
}
