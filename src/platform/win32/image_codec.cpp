// GDI+ through its flat API, started and shut down around each call; calls are taken one at a
// time, since GdiplusStartup and GdiplusShutdown are not meant to race each other.
#include "platform/image_codec.h"

#include <objidl.h>
#include <windows.h>

#include <cstring>
#include <mutex>

namespace platform {
namespace {

using GpImage = void;
struct GdiplusStartupInput {
  UINT32 version = 1;
  void* debugCallback = nullptr;
  BOOL suppressBackgroundThread = FALSE;
  BOOL suppressExternalCodecs = FALSE;
};
constexpr int kOk = 0;

extern "C" {
int WINAPI GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, void* output);
void WINAPI GdiplusShutdown(ULONG_PTR token);
int WINAPI GdipCreateBitmapFromStream(IStream* stream, GpImage** bitmap);
int WINAPI GdipCreateHBITMAPFromBitmap(GpImage* bitmap, HBITMAP* result, DWORD background);
int WINAPI GdipCreateBitmapFromHBITMAP(HBITMAP bitmap, HPALETTE palette, GpImage** result);
int WINAPI GdipSaveImageToStream(GpImage* image, IStream* stream, const CLSID* encoder,
                                 const void* parameters);
int WINAPI GdipDisposeImage(GpImage* image);
}

// The standard GDI+ image encoders.
const wchar_t* encoderClsid(ImageFormat format) {
  switch (format) {
    case ImageFormat::kBmp:
      return L"{557CF400-1A04-11D3-9A73-0000F81EF32E}";
    case ImageFormat::kJpeg:
      return L"{557CF401-1A04-11D3-9A73-0000F81EF32E}";
    case ImageFormat::kGif:
      return L"{557CF402-1A04-11D3-9A73-0000F81EF32E}";
    case ImageFormat::kTiff:
      return L"{557CF405-1A04-11D3-9A73-0000F81EF32E}";
    case ImageFormat::kPng:
      return L"{557CF406-1A04-11D3-9A73-0000F81EF32E}";
  }
  return nullptr;
}

// Everything one call holds, released in an order that never touches freed memory: the
// bitmap before the stream it reads from, the output copied out before its stream goes.
class Session {
 public:
  ~Session() {
    if (bitmap) GdipDisposeImage(bitmap);
    if (sourceStream) sourceStream->Release();
    if (sourceMemory) GlobalFree(sourceMemory);
    if (outputStream) outputStream->Release();  // frees its own memory
    if (started) GdiplusShutdown(token);
  }

  bool start() {
    GdiplusStartupInput input;
    started = GdiplusStartup(&token, &input, nullptr) == kOk;
    return started;
  }

  bool load(std::string_view source) {
    sourceMemory = GlobalAlloc(GMEM_MOVEABLE, source.size());
    if (!sourceMemory) return false;
    void* at = GlobalLock(sourceMemory);
    if (!at) return false;
    std::memcpy(at, source.data(), source.size());
    GlobalUnlock(sourceMemory);
    if (CreateStreamOnHGlobal(sourceMemory, FALSE, &sourceStream) != S_OK) return false;
    return GdipCreateBitmapFromStream(sourceStream, &bitmap) == kOk;
  }

  bool flattenOntoWhite() {
    HBITMAP flat = nullptr;
    if (GdipCreateHBITMAPFromBitmap(bitmap, &flat, 0xFFFFFFFF) != kOk) return false;
    GpImage* opaque = nullptr;
    int status = GdipCreateBitmapFromHBITMAP(flat, nullptr, &opaque);
    DeleteObject(flat);
    if (status != kOk) return false;
    GdipDisposeImage(bitmap);
    bitmap = opaque;
    return true;
  }

  bool save(const CLSID& encoder, std::string& out) {
    if (CreateStreamOnHGlobal(nullptr, TRUE, &outputStream) != S_OK) return false;
    if (GdipSaveImageToStream(bitmap, outputStream, &encoder, nullptr) != kOk) return false;
    // The stream's own size: the memory block behind it may be bigger.
    ULARGE_INTEGER size{};
    if (outputStream->Seek(LARGE_INTEGER{}, STREAM_SEEK_END, &size) != S_OK || size.QuadPart == 0)
      return false;
    HGLOBAL memory = nullptr;
    if (GetHGlobalFromStream(outputStream, &memory) != S_OK) return false;
    const void* at = GlobalLock(memory);
    if (!at) return false;
    out.assign(static_cast<const char*>(at), std::size_t(size.QuadPart));
    GlobalUnlock(memory);
    return true;
  }

 private:
  ULONG_PTR token = 0;
  bool started = false;
  HGLOBAL sourceMemory = nullptr;
  IStream* sourceStream = nullptr;
  IStream* outputStream = nullptr;
  GpImage* bitmap = nullptr;
};

std::mutex gdiplusCalls;

}  // namespace

EncodedImage encodeImage(std::string_view source, ImageFormat format, bool whiteBackground) {
  CLSID encoder;
  const wchar_t* clsid = encoderClsid(format);
  if (!clsid || CLSIDFromString(clsid, &encoder) != NOERROR)
    return {ImageCodecError::kUnsupportedFormat, {}};
  if (source.empty() || source.size() > 0x7FFFFFFF) return {ImageCodecError::kUndecodable, {}};

  std::lock_guard<std::mutex> lock(gdiplusCalls);
  Session session;
  if (!session.start()) return {ImageCodecError::kEncodeFailed, {}};
  if (!session.load(source)) return {ImageCodecError::kUndecodable, {}};
  if (whiteBackground && !session.flattenOntoWhite()) return {ImageCodecError::kEncodeFailed, {}};
  EncodedImage out;
  if (!session.save(encoder, out.bytes)) return {ImageCodecError::kEncodeFailed, {}};
  return out;
}

}  // namespace platform
