// windows.h first: the other Windows headers depend on it.
// clang-format off
#include <windows.h>
// clang-format on
#include <wincodec.h>
#include <wrl/client.h>

#include <cstring>
#include <mutex>
#include <new>

#include "base/log.h"
#include "codec/jpeg_codec.h"
#include "codec/wic_factory.h"

namespace px {
namespace {

using Microsoft::WRL::ComPtr;

bool writeOption(IPropertyBag2* bag, const wchar_t* name, const VARIANT& value) {
  PROPBAG2 option{};
  option.pstrName = const_cast<LPOLESTR>(name);
  VARIANT copy = value;
  return SUCCEEDED(bag->Write(1, &option, &copy));
}

// Baseline JPEG settings: quality as given, 4:4:4 chroma.
bool configureFrame(IWICBitmapFrameEncode* frame, IPropertyBag2* bag, float quality) {
  VARIANT value;
  VariantInit(&value);
  value.vt = VT_R4;
  value.fltVal = quality;
  if (!writeOption(bag, L"ImageQuality", value)) return false;
  value.vt = VT_UI1;
  value.bVal = WICJpegYCrCbSubsampling444;
  if (!writeOption(bag, L"JpegYCrCbSubsampling", value)) return false;
  return SUCCEEDED(frame->Initialize(bag));
}

bool copyStream(IStream* stream, Bytes& out) {
  HGLOBAL memory = nullptr;
  STATSTG stat{};
  if (FAILED(GetHGlobalFromStream(stream, &memory)) ||
      FAILED(stream->Stat(&stat, STATFLAG_NONAME)) || stat.cbSize.QuadPart == 0) {
    return false;
  }
  const void* data = GlobalLock(memory);
  if (!data) return false;
  out.assign(static_cast<const uint8_t*>(data),
             static_cast<const uint8_t*>(data) + size_t(stat.cbSize.QuadPart));
  GlobalUnlock(memory);
  return true;
}

// The JPEG file as a stream that owns a movable copy of the bytes.
ComPtr<IStream> streamOver(ByteView bytes) {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!memory) return nullptr;
  void* data = GlobalLock(memory);
  if (!data) {
    GlobalFree(memory);
    return nullptr;
  }
  std::memcpy(data, bytes.data(), bytes.size());
  GlobalUnlock(memory);
  ComPtr<IStream> stream;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &stream))) {
    GlobalFree(memory);
    return nullptr;
  }
  return stream;
}

}  // namespace

IWICImagingFactory* imagingFactory() {
  // RPC_E_CHANGED_MODE (the thread already chose apartment threading) is fine: WIC works in both.
  thread_local const HRESULT comReady = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
  (void)comReady;
  static IWICImagingFactory* factory = nullptr;
  static std::once_flag once;
  std::call_once(once, [] {
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory2, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_PPV_ARGS(&factory));
    if (FAILED(hr)) {
      // Windows 7 without its platform update has only the first factory class.
      logPrintf("[Parvolex] WIC factory 2 indisponivel (0x%08lX)\n", (unsigned long)hr);
      hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                            IID_PPV_ARGS(&factory));
      if (FAILED(hr)) factory = nullptr;
    }
  });
  return factory;
}

struct JpegEncoder::Impl {
  Bytes rows;  // the picture as 24-bit BGR, reused between calls
};

JpegEncoder::JpegEncoder() : impl_(std::make_unique<Impl>()) {}
JpegEncoder::~JpegEncoder() = default;

bool JpegEncoder::encode(const uint8_t* pixels, int width, int height, size_t stride, float quality,
                         Bytes& out) {
  out.clear();
  IWICImagingFactory* factory = imagingFactory();
  if (!factory || !pixels || width < 1 || height < 1) return false;
  ComPtr<IStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> bag;
  if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) ||
      FAILED(factory->CreateEncoder(GUID_ContainerFormatJpeg, nullptr, &encoder)) ||
      FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(&frame, &bag)) ||
      !configureFrame(frame.Get(), bag.Get(), quality) ||
      FAILED(frame->SetSize(UINT(width), UINT(height)))) {
    return false;
  }
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (FAILED(frame->SetPixelFormat(&format)) || !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
    return false;
  }
  const size_t rowBytes = size_t(width) * 3;
  try {
    impl_->rows.resize(rowBytes * height);
  } catch (const std::bad_alloc&) {
    return false;
  }
  for (int y = 0; y < height; ++y) {
    const uint8_t* src = pixels + stride * y;
    uint8_t* dst = impl_->rows.data() + rowBytes * y;
    for (int x = 0; x < width; ++x) {
      dst[3 * x] = src[4 * x];
      dst[3 * x + 1] = src[4 * x + 1];
      dst[3 * x + 2] = src[4 * x + 2];
    }
  }
  if (FAILED(frame->WritePixels(UINT(height), UINT(rowBytes), UINT(impl_->rows.size()),
                                impl_->rows.data())) ||
      FAILED(frame->Commit()) || FAILED(encoder->Commit())) {
    return false;
  }
  return copyStream(stream.Get(), out);
}

struct JpegDecoder::Impl {};

JpegDecoder::JpegDecoder() : impl_(std::make_unique<Impl>()) {}
JpegDecoder::~JpegDecoder() = default;

bool JpegDecoder::decode(ByteView jpeg, int expectedWidth, int expectedHeight, Bytes& bgra) {
  bgra.clear();
  IWICImagingFactory* factory = imagingFactory();
  if (!factory || jpeg.empty() || jpeg.size() > 0x7fffffffu || expectedWidth < 1 ||
      expectedHeight < 1) {
    return false;
  }
  ComPtr<IStream> stream = streamOver(jpeg);
  // The JPEG decoder by name: a tile that claims to be JPEG never reaches another codec.
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICFormatConverter> converter;
  UINT width = 0, height = 0;
  if (!stream || FAILED(factory->CreateDecoder(GUID_ContainerFormatJpeg, nullptr, &decoder)) ||
      FAILED(decoder->Initialize(stream.Get(), WICDecodeMetadataCacheOnLoad)) ||
      FAILED(decoder->GetFrame(0, &frame)) || FAILED(frame->GetSize(&width, &height)) ||
      width != UINT(expectedWidth) || height != UINT(expectedHeight) ||
      FAILED(factory->CreateFormatConverter(&converter)) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA,
                                   WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom))) {
    return false;
  }
  const size_t size = size_t(width) * height * 4;
  try {
    bgra.resize(size);
  } catch (const std::bad_alloc&) {
    bgra.clear();
    return false;
  }
  if (FAILED(converter->CopyPixels(nullptr, width * 4, UINT(size), bgra.data()))) {
    bgra.clear();
    return false;
  }
  return true;
}

}  // namespace px
