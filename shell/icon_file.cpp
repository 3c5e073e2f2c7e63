#include "shell/icon_file.h"

namespace shell {
namespace {

constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kBitmapHeaderFields = 16;  // up to and including biBitCount

std::uint32_t ReadU16(const std::uint8_t* at) { return at[0] | (at[1] << 8); }

std::uint32_t ReadU32(const std::uint8_t* at) {
    return static_cast<std::uint32_t>(at[0]) | (static_cast<std::uint32_t>(at[1]) << 8) |
           (static_cast<std::uint32_t>(at[2]) << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

std::int32_t ReadI32(const std::uint8_t* at) { return static_cast<std::int32_t>(ReadU32(at)); }

}  // namespace

std::optional<IconImage> ChooseIconImage(ByteView file, int preferredWidth) {
    if (file.data == nullptr || file.size < kHeaderSize) return std::nullopt;
    const std::uint32_t reserved = ReadU16(file.data);
    const std::uint32_t type = ReadU16(file.data + 2);
    const std::uint32_t count = ReadU16(file.data + 4);
    if (reserved != 0 || (type != 1 && type != 2) || count == 0) return std::nullopt;

    const std::uint64_t directoryEnd = kHeaderSize + static_cast<std::uint64_t>(count) * kEntrySize;
    if (directoryEnd > file.size) return std::nullopt;

    std::size_t chosen = count - 1;
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* entry = file.data + kHeaderSize + i * kEntrySize;
        const int width = entry[0];
        const int colourCount = entry[2];
        if (colourCount >= 16 && width == preferredWidth) {
            chosen = i;
            break;
        }
    }

    const std::uint8_t* entry = file.data + kHeaderSize + chosen * kEntrySize;
    const std::uint64_t byteCount = ReadU32(entry + 8);
    const std::uint64_t offset = ReadU32(entry + 12);
    if (offset + byteCount > file.size || byteCount < kBitmapHeaderFields) return std::nullopt;

    const std::uint8_t* image = file.data + offset;
    IconImage result;
    result.bytes = {image, static_cast<std::size_t>(byteCount)};
    result.width = ReadI32(image + 4);
    result.height = ReadI32(image + 8) / 2;
    result.bitsPerPixel = static_cast<int>(ReadU16(image + 14));
    result.entry = chosen;
    return result;
}

}  // namespace shell
