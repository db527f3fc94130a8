#include "ByteReader.h"
#include "ByteWriter.h"
#include "Cp1252.h"

#include <gtest/gtest.h>

TEST(Cp1252, EveryByteRoundTripsThroughUtf8)
{
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        EXPECT_EQ(cp1252::fromUtf8(cp1252::toUtf8(byte)), byte) << "byte " << b;
    }
}

TEST(Cp1252, KnownCharactersAndReplacement)
{
    EXPECT_EQ(cp1252::toUtf8("\x80"), "€");
    EXPECT_EQ(cp1252::toUtf8("\xE9"), "é");
    EXPECT_EQ(cp1252::fromUtf8("Saturée €"), "Satur\xE9\x65 \x80");
    EXPECT_EQ(cp1252::fromUtf8("日本"), "??");
    EXPECT_EQ(cp1252::fromUtf8("a\xFF" "b"), "a?b"); // malformed UTF-8
    EXPECT_EQ(cp1252::encodedLength("été"), 3u);
}

TEST(CountedString, LengthPrefixForms)
{
    ByteWriter w;
    w.countedString(std::string(300, 'x'));
    ASSERT_GE(w.data().size(), 3u);
    EXPECT_EQ(static_cast<unsigned char>(w.data()[0]), 0xFF);
    EXPECT_EQ(static_cast<unsigned char>(w.data()[1]), 0x2C);
    EXPECT_EQ(static_cast<unsigned char>(w.data()[2]), 0x01);

    ByteWriter big;
    big.countedString(std::string(70000, 'y'));
    EXPECT_EQ(big.data().substr(0, 7), std::string("\xFF\xFF\xFF\x70\x11\x01\x00", 7));
    ByteReader r(reinterpret_cast<const std::uint8_t*>(big.data().data()), big.data().size());
    EXPECT_EQ(r.countedString().size(), 70000u);
}

TEST(CountedString, ReaderAcceptsWideForm)
{
    // FF FE FF, length 3, then "é€x" in UTF-16LE; 日 has no Windows-1252 form.
    const std::string bytes("\xFF\xFE\xFF\x04\xE9\x00\xAC\x20x\x00\xE5\x65", 12);
    ByteReader r(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(r.countedString(), "é€x?");
    EXPECT_TRUE(r.atEnd());

    const std::string truncated("\xFF\xFE\xFF\x04\xE9\x00", 6);
    ByteReader t(reinterpret_cast<const std::uint8_t*>(truncated.data()), truncated.size());
    EXPECT_THROW(t.countedString(), EndOfData);
}
