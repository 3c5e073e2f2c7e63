// Choosing one image out of an icon file's bytes. The window icons and the
// tray icon both go through this rule, so they always agree on the picture.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace shell {

struct ByteView {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
};

// The chosen image, ready for CreateIconFromResourceEx.
struct IconImage {
    ByteView bytes;         // the image as stored: bitmap header, colours, masks
    int width = 0;          // from the bitmap header
    int height = 0;         // half the header's height, which covers both masks
    int bitsPerPixel = 0;   // from the bitmap header
    std::size_t entry = 0;  // position in the directory
};

// Reads the header (reserved 0, type icon or cursor, at least one image) and
// takes the first entry with a colour-count byte of 16 or more whose width
// byte equals `preferredWidth`, else the last entry. Anything that cannot be
// read whole, including an offset or size past the end, gives nothing.
std::optional<IconImage> ChooseIconImage(ByteView file, int preferredWidth);

}  // namespace shell
