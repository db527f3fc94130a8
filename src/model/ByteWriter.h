#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Little-endian writer that appends to an in-memory buffer.
class ByteWriter {
public:
    void reserve(std::size_t n) { buf_.reserve(n); }
    void u8(int v) { buf_.push_back(static_cast<char>(v & 0xFF)); }
    void u16(int v)
    {
        u8(v);
        u8(v >> 8);
    }
    void i32(std::int32_t v)
    {
        const auto u = static_cast<std::uint32_t>(v);
        char b[4] = {static_cast<char>(u), static_cast<char>(u >> 8), static_cast<char>(u >> 16), static_cast<char>(u >> 24)};
        buf_.append(b, 4);
    }
    void bytes(std::string_view b) { buf_.append(b); }

    // Counted string of 8-bit text: UTF-8 in, Windows-1252 out.
    void countedString(std::string_view utf8);

    const std::string& data() const { return buf_; }
    std::string take() { return std::move(buf_); }

private:
    std::string buf_;
};
