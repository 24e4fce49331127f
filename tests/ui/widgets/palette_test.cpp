// The eight colours of the window, exact and opaque.
#include "ui/widgets/palette.h"

#include <gtest/gtest.h>

namespace tessellane {
namespace {

TEST(Palette, EightColoursAreExactOpaqueSrgb) {
    const struct {
        const QColor& colour;
        const char* hex;
    } table[] = {
        {palette::winBG(), "#121416"},   {palette::panelBG(), "#1b1f22"},  {palette::cyan(), "#f8581c"},
        {palette::fieldBG(), "#2a2d31"}, {palette::buttonBG(), "#30343a"}, {palette::dimText(), "#8a9399"},
        {palette::warn(), "#e0a83f"},    {palette::danger(), "#e05a4f"},
    };
    for (const auto& row : table) {
        EXPECT_EQ(row.colour.name(), row.hex);
        EXPECT_EQ(row.colour.alpha(), 255) << row.hex;
    }
}

TEST(Palette, HexIgnoresTheUpperByte) {
    EXPECT_EQ(palette::fromHex(0xFF123456), palette::fromHex(0x123456));
    EXPECT_EQ(palette::fromHex(0xAB000000).name(), "#000000");
    EXPECT_EQ(palette::fromHex(0xAB000000).alpha(), 255);
}

}  // namespace
}  // namespace tessellane
