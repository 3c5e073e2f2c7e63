// ChooseIconImage over arbitrary bytes, for both sizes the launcher asks for.
// Beyond not reading out of bounds, a chosen image must lie wholly inside the
// file, be the one its directory entry points at, and be the entry the rule
// picks; nothing may be returned only when the file cannot be read whole.
#include "shell/icon_file.h"

#include "fuzz/fuzz_check.h"

#include <cstddef>
#include <cstdint>

namespace {

constexpr std::size_t kHeaderSize = 6;
constexpr std::size_t kEntrySize = 16;
constexpr std::size_t kBitmapHeaderFields = 16;

std::uint32_t U16(const std::uint8_t* at) { return static_cast<std::uint32_t>(at[0] | (at[1] << 8)); }

std::uint32_t U32(const std::uint8_t* at) { return U16(at) | (U16(at + 2) << 16); }

bool Qualifies(const std::uint8_t* entry, int preferredWidth) { return entry[2] >= 16 && entry[0] == preferredWidth; }

void Check(const std::uint8_t* data, std::size_t size, int preferredWidth) {
    const shell::ByteView file{data, size};
    const auto image = shell::ChooseIconImage(file, preferredWidth);

    const bool headerReadable = size >= kHeaderSize && U16(data) == 0 && (U16(data + 2) == 1 || U16(data + 2) == 2) &&
                                U16(data + 4) != 0;
    const std::size_t count = headerReadable ? U16(data + 4) : 0;
    const bool directoryReadable = headerReadable && kHeaderSize + count * kEntrySize <= size;
    if (!directoryReadable) {
        FUZZ_CHECK(!image);
        return;
    }

    // The rule's choice: the first qualifying entry, else the last.
    std::size_t expected = count - 1;
    for (std::size_t i = 0; i < count; ++i) {
        if (Qualifies(data + kHeaderSize + i * kEntrySize, preferredWidth)) {
            expected = i;
            break;
        }
    }
    const std::uint8_t* entry = data + kHeaderSize + expected * kEntrySize;
    const std::uint64_t byteCount = U32(entry + 8);
    const std::uint64_t offset = U32(entry + 12);
    const bool imageReadable = offset <= size && byteCount <= size - offset && byteCount >= kBitmapHeaderFields;
    FUZZ_CHECK(image.has_value() == imageReadable);
    if (!image) return;

    FUZZ_CHECK(image->entry == expected);
    // Inside the file, compared without forming a pointer past it.
    FUZZ_CHECK(image->bytes.data >= data);
    const auto start = static_cast<std::size_t>(image->bytes.data - data);
    FUZZ_CHECK(start <= size);
    FUZZ_CHECK(image->bytes.size <= size - start);
    FUZZ_CHECK(start == offset);
    FUZZ_CHECK(image->bytes.size == byteCount);

    const std::uint8_t* bitmap = image->bytes.data;
    FUZZ_CHECK(image->width == static_cast<std::int32_t>(U32(bitmap + 4)));
    FUZZ_CHECK(image->height == static_cast<std::int32_t>(U32(bitmap + 8)) / 2);
    FUZZ_CHECK(image->bitsPerPixel == static_cast<int>(U16(bitmap + 14)));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Check(data, size, 16);
    Check(data, size, 32);
    return 0;
}
