#include "shell/icon_file.h"

#include <gtest/gtest.h>

#include "tests/unit/case_name.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <vector>

namespace shell {
namespace {

using Bytes = std::vector<std::uint8_t>;

ByteView View(const Bytes& bytes) { return {bytes.data(), bytes.size()}; }

void PutU16(Bytes& out, std::size_t at, std::uint32_t value) {
    out[at] = static_cast<std::uint8_t>(value);
    out[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void PutU32(Bytes& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

struct EntrySpec {
    int widthByte;
    int colourCount;
    int imageWidth;
    int bitsPerPixel;
};

// An icon file whose images are bare 40-byte bitmap headers, enough for the rule.
Bytes CraftIcon(const std::vector<EntrySpec>& entries) {
    const std::size_t imageSize = 40;
    Bytes file(6 + 16 * entries.size() + imageSize * entries.size(), 0);
    PutU16(file, 2, 1);
    PutU16(file, 4, static_cast<std::uint32_t>(entries.size()));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::size_t entry = 6 + 16 * i;
        const std::size_t offset = 6 + 16 * entries.size() + imageSize * i;
        file[entry] = static_cast<std::uint8_t>(entries[i].widthByte);
        file[entry + 1] = static_cast<std::uint8_t>(entries[i].widthByte);
        file[entry + 2] = static_cast<std::uint8_t>(entries[i].colourCount);
        PutU32(file, entry + 8, static_cast<std::uint32_t>(imageSize));
        PutU32(file, entry + 12, static_cast<std::uint32_t>(offset));
        PutU32(file, offset, 40);
        PutU32(file, offset + 4, static_cast<std::uint32_t>(entries[i].imageWidth));
        PutU32(file, offset + 8, static_cast<std::uint32_t>(entries[i].imageWidth * 2));
        PutU16(file, offset + 14, static_cast<std::uint32_t>(entries[i].bitsPerPixel));
    }
    return file;
}

Bytes LauncherIconFile() {
    std::ifstream in(LAUNCHER_ICON_FILE, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(ChooseIconImage, TakesTheLastImageOfTheLauncherIconForBothSizes) {
    const Bytes file = LauncherIconFile();
    ASSERT_EQ(file.size(), 92102u);
    for (int preferred : {16, 32}) {
        const auto image = ChooseIconImage(View(file), preferred);
        ASSERT_TRUE(image.has_value()) << preferred;
        EXPECT_EQ(image->entry, 8u);
        EXPECT_EQ(image->bytes.data, file.data() + 90974);
        EXPECT_EQ(image->bytes.size, 1128u);
        EXPECT_EQ(image->width, 16);
        EXPECT_EQ(image->height, 16);
        EXPECT_EQ(image->bitsPerPixel, 32);
    }
}

TEST(ChooseIconImage, TakesTheFirstQualifyingEntry) {
    const Bytes file = CraftIcon({{16, 0, 16, 32}, {16, 16, 16, 4}, {16, 255, 16, 8}, {32, 16, 32, 4}});
    EXPECT_EQ(ChooseIconImage(View(file), 16)->entry, 1u);
    EXPECT_EQ(ChooseIconImage(View(file), 32)->entry, 3u);
    EXPECT_EQ(ChooseIconImage(View(file), 48)->entry, 3u);  // none qualifies: the last
    EXPECT_EQ(ChooseIconImage(View(file), 16)->bitsPerPixel, 4);
}

TEST(ChooseIconImage, FallsBackToTheLastEntryWhenNoneQualifies) {
    const Bytes file = CraftIcon({{16, 15, 16, 4}, {48, 16, 48, 4}, {32, 2, 32, 1}});
    const auto image = ChooseIconImage(View(file), 16);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(image->entry, 2u);
    EXPECT_EQ(image->width, 32);
    EXPECT_EQ(image->height, 32);
}

struct BrokenFile {
    const char* name;
    Bytes bytes;
};

Bytes WithU16(Bytes bytes, std::size_t at, std::uint32_t value) {
    PutU16(bytes, at, value);
    return bytes;
}

Bytes WithU32(Bytes bytes, std::size_t at, std::uint32_t value) {
    PutU32(bytes, at, value);
    return bytes;
}

Bytes Truncated(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

class ChooseIconImageRejects : public testing::TestWithParam<BrokenFile> {};

TEST_P(ChooseIconImageRejects, GivesNothing) {
    EXPECT_FALSE(ChooseIconImage(View(GetParam().bytes), 16).has_value()) << GetParam().name;
}

const Bytes kTwoImages = CraftIcon({{16, 16, 16, 4}, {32, 0, 32, 32}});
// entry 0 at 6, entry 1 at 22; images at 38 and 78; file ends at 118

INSTANTIATE_TEST_SUITE_P(
    Files, ChooseIconImageRejects,
    testing::Values(BrokenFile{"empty", {}}, BrokenFile{"truncated header", Truncated(kTwoImages, 5)},
                    BrokenFile{"bad reserved field", WithU16(kTwoImages, 0, 1)},
                    BrokenFile{"type 0", WithU16(kTwoImages, 2, 0)},
                    BrokenFile{"type 3", WithU16(kTwoImages, 2, 3)},
                    BrokenFile{"count 0", WithU16(kTwoImages, 4, 0)},
                    BrokenFile{"truncated directory", Truncated(kTwoImages, 30)},
                    BrokenFile{"directory past the end", WithU16(kTwoImages, 4, 8)},
                    BrokenFile{"truncated image", Truncated(kTwoImages, 70)},
                    BrokenFile{"offset past the end", WithU32(kTwoImages, 6 + 12, 1000)},
                    BrokenFile{"size past the end", WithU32(kTwoImages, 6 + 8, 200)},
                    BrokenFile{"overflowing offset + size", WithU32(WithU32(kTwoImages, 6 + 12, 0xFFFFFFF0u), 6 + 8, 0x20)},
                    BrokenFile{"image too short for its header", WithU32(kTwoImages, 6 + 8, 8)}), CaseName());

TEST(ChooseIconImage, AcceptsCursorFiles) {
    const Bytes cursor = WithU16(kTwoImages, 2, 2);
    EXPECT_EQ(ChooseIconImage(View(cursor), 16)->entry, 0u);
}

}  // namespace
}  // namespace shell
