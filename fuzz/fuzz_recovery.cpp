// Any bytes as a recovery side file: what reads must be written back to the
// same bytes, and what is written must read back to the same record.

#include "RecoveryStore.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto info = recovery::parseInfo(text)) {
        if (recovery::formatInfo(*info) != text)
            __builtin_trap();
        return 0;
    }
    // Not a side file: use the bytes as the fields of one.
    const std::size_t cut = size / 2;
    recovery::Info info;
    info.originalPath.assign(text.substr(0, cut));
    info.version.assign(text.substr(cut));
    info.savedAt = static_cast<std::int64_t>(size) * 1000003 - 500000;
    const std::string written = recovery::formatInfo(info);
    const auto back = recovery::parseInfo(written);
    // A NUL cannot be part of a path, so the reader refuses it.
    const bool hasNul = text.find('\0') != std::string_view::npos;
    if (hasNul ? back.has_value() : (!back || !(*back == info)))
        __builtin_trap();
    return 0;
}
