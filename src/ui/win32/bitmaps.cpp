#include "ui/win32/bitmaps.h"

#include <objidl.h>

#include <cstring>
#include <vector>

namespace ui::win32 {
namespace {

// The few GDI+ flat functions needed to read JPEG, PNG and GIF pictures.
using GpBitmap = void;
struct GdiplusStartupInput {
  UINT32 version = 1;
  void* debugCallback = nullptr;
  BOOL suppressBackgroundThread = FALSE;
  BOOL suppressExternalCodecs = FALSE;
};
extern "C" {
int WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, void* output);
int WINAPI GdipCreateBitmapFromStream(IStream* stream, GpBitmap** bitmap);
int WINAPI GdipCreateHBITMAPFromBitmap(GpBitmap* bitmap, HBITMAP* result, DWORD background);
int WINAPI GdipDisposeImage(GpBitmap* image);
}

bool startGdiplus() {
  // Kept for the rest of the process: pictures may be decoded at any time.
  static const bool started = [] {
    ULONG_PTR token = 0;
    GdiplusStartupInput input;
    return GdiplusStartup(&token, &input, nullptr) == 0;
  }();
  return started;
}

HBITMAP decodeBmp(const std::string& bytes) {
  if (bytes.size() < sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)) return nullptr;
  BITMAPFILEHEADER file;
  std::memcpy(&file, bytes.data(), sizeof(file));
  if (file.bfType != 0x4D42 || file.bfOffBits >= bytes.size()) return nullptr;
  const auto* info = reinterpret_cast<const BITMAPINFO*>(bytes.data() + sizeof(file));
  const BITMAPINFOHEADER& header = info->bmiHeader;
  if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biWidth <= 0 || header.biHeight == 0) {
    return nullptr;
  }
  long long rows = header.biHeight < 0 ? -(long long)header.biHeight : header.biHeight;
  long long stride = ((long long)header.biWidth * header.biBitCount + 31) / 32 * 4;
  if (header.biCompression == BI_RGB && file.bfOffBits + stride * rows > (long long)bytes.size()) {
    return nullptr;
  }
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateDIBitmap(screen, &header, CBM_INIT, bytes.data() + file.bfOffBits, info,
                                  DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return bitmap;
}

HBITMAP decodeWithGdiplus(const std::string& bytes) {
  if (!startGdiplus()) return nullptr;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!memory) return nullptr;
  std::memcpy(GlobalLock(memory), bytes.data(), bytes.size());
  GlobalUnlock(memory);
  IStream* stream = nullptr;
  if (CreateStreamOnHGlobal(memory, TRUE, &stream) != S_OK) {
    GlobalFree(memory);
    return nullptr;
  }
  HBITMAP result = nullptr;
  GpBitmap* image = nullptr;
  if (GdipCreateBitmapFromStream(stream, &image) == 0) {
    GdipCreateHBITMAPFromBitmap(image, &result, 0xFFFFFFFF);
    GdipDisposeImage(image);
  }
  stream->Release();
  return result;
}

}  // namespace

HBITMAP decodePicture(const std::string& bytes) {
  if (bytes.empty()) return nullptr;
  if (bytes.size() >= 2 && bytes[0] == 'B' && bytes[1] == 'M') return decodeBmp(bytes);
  return decodeWithGdiplus(bytes);
}

SIZE bitmapSize(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || !GetObjectW(bitmap, sizeof(info), &info)) return {0, 0};
  return {info.bmWidth, info.bmHeight};
}

std::string bmpBytes(HBITMAP bitmap) {
  SIZE size = bitmapSize(bitmap);
  if (size.cx <= 0 || size.cy <= 0) return {};
  BITMAPINFOHEADER header{};
  header.biSize = sizeof(header);
  header.biWidth = size.cx;
  header.biHeight = size.cy;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  DWORD stride = (DWORD(size.cx) * 3 + 3) / 4 * 4;
  header.biSizeImage = stride * DWORD(size.cy);
  std::string out(sizeof(BITMAPFILEHEADER) + sizeof(header) + header.biSizeImage, '\0');
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(header);
  file.bfSize = DWORD(out.size());
  std::memcpy(out.data(), &file, sizeof(file));
  std::memcpy(out.data() + sizeof(file), &header, sizeof(header));
  HDC screen = GetDC(nullptr);
  int copied = GetDIBits(screen, bitmap, 0, UINT(size.cy), out.data() + file.bfOffBits,
                         reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return copied == size.cy ? out : std::string();
}

}  // namespace ui::win32
