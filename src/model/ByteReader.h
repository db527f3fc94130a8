#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

// Thrown when a read would go past the end of the bytes.
class EndOfData : public std::runtime_error {
public:
    EndOfData() : std::runtime_error("end of data") {}
};

// Little-endian reader over a byte buffer; every read is checked against what is left.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::size_t position() const { return pos_; }
    std::size_t size() const { return size_; }
    std::size_t bytesLeft() const { return size_ - pos_; }
    bool atEnd() const { return pos_ >= size_; }

    void need(std::size_t n) const
    {
        if (n > size_ - pos_)
            throw EndOfData();
    }
    void skip(std::size_t n)
    {
        need(n);
        pos_ += n;
    }

    std::uint8_t u8()
    {
        need(1);
        return data_[pos_++];
    }
    std::int8_t i8() { return static_cast<std::int8_t>(u8()); }
    std::uint16_t u16()
    {
        need(2);
        const auto v = static_cast<std::uint16_t>(data_[pos_] | (data_[pos_ + 1] << 8));
        pos_ += 2;
        return v;
    }
    std::int32_t i32()
    {
        need(4);
        const std::uint32_t v = static_cast<std::uint32_t>(data_[pos_]) | (static_cast<std::uint32_t>(data_[pos_ + 1]) << 8) |
                                (static_cast<std::uint32_t>(data_[pos_ + 2]) << 16) |
                                (static_cast<std::uint32_t>(data_[pos_ + 3]) << 24);
        pos_ += 4;
        return static_cast<std::int32_t>(v);
    }
    std::string_view bytes(std::size_t n)
    {
        need(n);
        std::string_view v(reinterpret_cast<const char*>(data_ + pos_), n);
        pos_ += n;
        return v;
    }

    // Counted string in the native score format, returned as UTF-8.
    std::string countedString();

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};
