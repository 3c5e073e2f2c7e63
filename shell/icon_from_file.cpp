#include "shell/icon_from_file.h"

namespace shell {

UniqueIcon CreateIconFromFile(ByteView file, int preferredWidth) {
    const auto image = ChooseIconImage(file, preferredWidth);
    if (!image) return UniqueIcon();
    // The Win32 prototypes take a non-const pointer but do not write through it.
    auto* bits = const_cast<BYTE*>(image->bytes.data);
    const auto size = static_cast<DWORD>(image->bytes.size);
    HICON icon = CreateIconFromResourceEx(bits, size, TRUE, 0x00030000, image->width, image->height, LR_DEFAULTCOLOR);
    if (icon == nullptr && image->bitsPerPixel != 16) icon = CreateIconFromResource(bits, size, TRUE, 0x00030000);
    return UniqueIcon(icon);
}

ByteView ResourceBytes(HINSTANCE instance, const wchar_t* name, const wchar_t* type) {
    HRSRC resource = FindResourceW(instance, name, type);
    if (resource == nullptr) return {};
    HGLOBAL loaded = LoadResource(instance, resource);
    const void* data = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (data == nullptr) return {};
    return {static_cast<const std::uint8_t*>(data), SizeofResource(instance, resource)};
}

}  // namespace shell
