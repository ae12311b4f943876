// Images at the GDI edge: file bytes (BMP, or anything GDI+ reads) to a bitmap, and a bitmap
// back to BMP file bytes.
#pragma once
#include <string>

#include "ui/win32/win32_api.h"

namespace ui::win32 {

// A device-dependent bitmap of the picture, or null when the bytes are no image.
HBITMAP decodePicture(const std::string& bytes);
// A 24-bit bottom-up BMP file of the bitmap; empty when it cannot be read.
std::string bmpBytes(HBITMAP bitmap);
SIZE bitmapSize(HBITMAP bitmap);

}  // namespace ui::win32
