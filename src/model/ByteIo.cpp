#include "ByteReader.h"
#include "ByteWriter.h"
#include "Cp1252.h"

namespace {
// Length prefix shared by the 8-bit and the 16-bit string forms.
std::size_t readLength(ByteReader& r, bool& wide, bool allowWide)
{
    const std::uint8_t b = r.u8();
    if (b < 0xFF)
        return b;
    const std::uint16_t w = r.u16();
    if (w == 0xFFFE && allowWide) {
        wide = true;
        return readLength(r, wide, false);
    }
    if (w < 0xFFFF)
        return w;
    return static_cast<std::uint32_t>(r.i32());
}
} // namespace

std::string ByteReader::countedString()
{
    bool wide = false;
    const std::size_t len = readLength(*this, wide, true);
    if (wide) {
        if (len > bytesLeft() / 2)
            throw EndOfData();
        return cp1252::utf16leToUtf8ViaCp1252(bytes(len * 2));
    }
    return cp1252::toUtf8(bytes(len));
}

void ByteWriter::countedString(std::string_view utf8)
{
    const std::string text = cp1252::fromUtf8(utf8);
    const std::size_t len = text.size();
    if (len < 255) {
        u8(static_cast<int>(len));
    } else if (len < 0xFFFE) {
        u8(0xFF);
        u16(static_cast<int>(len));
    } else {
        u8(0xFF);
        u16(0xFFFF);
        i32(static_cast<std::int32_t>(len));
    }
    bytes(text);
}
