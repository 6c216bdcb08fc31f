// Desktop duplication: the monitor's frames arrive as GPU textures; changed rectangles are copied
// through one CPU-readable staging texture into the system-memory image.
#include <d3d11.h>
#include <dxgi1_2.h>
#include <wrl/client.h>

#include <cstring>

#include "base/log.h"
#include "base/os_error.h"
#include "host/capture_policy.h"
#include "host/capturers_win.h"
#include "host/pointer_shape.h"
#include "host/screen_capturer.h"

namespace px {
namespace {

using Microsoft::WRL::ComPtr;

PixelRect toPixelRect(const RECT& r) { return PixelRect{r.left, r.top, r.right, r.bottom}; }

OsError hresultError(HRESULT hr) { return {OsErrorKind::kHresult, int64_t(uint32_t(hr))}; }

class DxgiScreenCapturer : public ScreenCapturer {
 public:
  ~DxgiScreenCapturer() override { release(); }

  std::vector<MonitorInfo> enumerateMonitors() override;
  bool create(uint32_t adapterIndex, uint32_t outputIndex) override;
  void release() override;
  CaptureResult acquire(int waitMs) override;

 private:
  bool createDevice(IDXGIAdapter1* adapter);
  void collectDirtyRects(const DXGI_OUTDUPL_FRAME_INFO& info);
  void updatePointer(const DXGI_OUTDUPL_FRAME_INFO& info);
  bool copyFrame(IDXGIResource* resource);
  CaptureResult recreate();

  ComPtr<ID3D11Device> device_;
  ComPtr<ID3D11DeviceContext> context_;
  ComPtr<IDXGIOutputDuplication> duplication_;
  ComPtr<ID3D11Texture2D> staging_;
  Bytes metadata_;
  Bytes shapeBuffer_;
  bool haveTarget_ = false;
};

std::vector<MonitorInfo> DxgiScreenCapturer::enumerateMonitors() {
  std::vector<MonitorInfo> list;
  ComPtr<IDXGIFactory1> factory;
  if (HRESULT hr = CreateDXGIFactory1(IID_PPV_ARGS(&factory)); FAILED(hr)) {
    logOsError("[HOST]", "CreateDXGIFactory1", hresultError(hr));
    return list;
  }
  ComPtr<IDXGIAdapter1> adapter;
  for (UINT a = 0; factory->EnumAdapters1(a, &adapter) != DXGI_ERROR_NOT_FOUND; ++a) {
    DXGI_ADAPTER_DESC1 desc{};
    if (FAILED(adapter->GetDesc1(&desc)) || (desc.Flags & DXGI_ADAPTER_FLAG_SOFTWARE)) continue;
    ComPtr<IDXGIOutput> output;
    for (UINT o = 0; adapter->EnumOutputs(o, &output) != DXGI_ERROR_NOT_FOUND; ++o) {
      DXGI_OUTPUT_DESC od{};
      if (FAILED(output->GetDesc(&od)) || !od.AttachedToDesktop) continue;
      const PixelRect r = toPixelRect(od.DesktopCoordinates);
      if (r.width() <= 0 || r.height() <= 0) continue;
      list.push_back(MonitorInfo{a, o, r.width(), r.height(), r});
    }
  }
  return list;
}

bool DxgiScreenCapturer::createDevice(IDXGIAdapter1* adapter) {
  context_.Reset();
  device_.Reset();
  HRESULT hr = D3D11CreateDevice(adapter, D3D_DRIVER_TYPE_UNKNOWN, nullptr, 0, nullptr, 0,
                                 D3D11_SDK_VERSION, &device_, nullptr, &context_);
  if (FAILED(hr)) {
    noteCreateFailure("D3D11CreateDevice", hresultError(hr));
    return false;
  }
  return true;
}

bool DxgiScreenCapturer::create(uint32_t adapterIndex, uint32_t outputIndex) {
  ++frame_.generation;
  frame_.adapterIndex = adapterIndex;
  frame_.outputIndex = outputIndex;
  frame_.imageValid = false;
  haveTarget_ = true;
  lastFailure_.clear();
  duplication_.Reset();
  staging_.Reset();

  ComPtr<IDXGIFactory1> factory;
  ComPtr<IDXGIAdapter1> adapter;
  if (HRESULT hr = CreateDXGIFactory1(IID_PPV_ARGS(&factory)); FAILED(hr)) {
    noteCreateFailure("CreateDXGIFactory1", hresultError(hr));
    return false;
  }
  if (HRESULT hr = factory->EnumAdapters1(adapterIndex, &adapter); FAILED(hr)) {
    noteCreateFailure("EnumAdapters1", hresultError(hr));
    return false;
  }
  if (!createDevice(adapter.Get())) return false;

  ComPtr<IDXGIOutput> output;
  ComPtr<IDXGIOutput1> output1;
  DXGI_OUTPUT_DESC od{};
  if (FAILED(adapter->EnumOutputs(outputIndex, &output)) || FAILED(output->GetDesc(&od)) ||
      FAILED(output.As(&output1))) {
    logPrintf("[HOST] saida %u/%u nao encontrada\n", adapterIndex, outputIndex);
    return false;
  }
  const PixelRect r = toPixelRect(od.DesktopCoordinates);
  if (r.width() <= 0 || r.height() <= 0) return false;
  frame_.desktop = r;
  frame_.width = r.width();
  frame_.height = r.height();

  if (HRESULT hr = output1->DuplicateOutput(device_.Get(), &duplication_); FAILED(hr)) {
    noteCreateFailure("DuplicateOutput", hresultError(hr));
    return false;
  }
  D3D11_TEXTURE2D_DESC td{};
  td.Width = UINT(frame_.width);
  td.Height = UINT(frame_.height);
  td.MipLevels = 1;
  td.ArraySize = 1;
  td.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
  td.SampleDesc.Count = 1;
  td.Usage = D3D11_USAGE_STAGING;
  td.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
  if (HRESULT hr = device_->CreateTexture2D(&td, nullptr, &staging_); FAILED(hr)) {
    noteCreateFailure("CreateTexture2D", hresultError(hr));
    duplication_.Reset();
    return false;
  }
  frame_.image.assign(size_t(frame_.width) * size_t(frame_.height) * 4, 0);
  return true;
}

void DxgiScreenCapturer::release() {
  duplication_.Reset();
  staging_.Reset();
  context_.Reset();
  device_.Reset();
}

CaptureResult DxgiScreenCapturer::recreate() {
  release();
  return create(frame_.adapterIndex, frame_.outputIndex) ? CaptureResult::kRecreated
                                                         : CaptureResult::kFailed;
}

// The dirty rectangles, then the move destinations, as the duplication reports them.
void DxgiScreenCapturer::collectDirtyRects(const DXGI_OUTDUPL_FRAME_INFO& info) {
  frame_.dirty.clear();
  if (info.TotalMetadataBufferSize == 0) return;
  if (metadata_.size() < info.TotalMetadataBufferSize) metadata_.resize(info.TotalMetadataBufferSize);
  UINT moveBytes = 0, dirtyBytes = 0;
  std::vector<PixelRect> moves;
  if (SUCCEEDED(duplication_->GetFrameMoveRects(
          UINT(metadata_.size()), reinterpret_cast<DXGI_OUTDUPL_MOVE_RECT*>(metadata_.data()),
          &moveBytes))) {
    const auto* m = reinterpret_cast<const DXGI_OUTDUPL_MOVE_RECT*>(metadata_.data());
    for (UINT i = 0; i < moveBytes / sizeof(DXGI_OUTDUPL_MOVE_RECT); ++i) {
      moves.push_back(toPixelRect(m[i].DestinationRect));
    }
  }
  if (SUCCEEDED(duplication_->GetFrameDirtyRects(
          UINT(metadata_.size()), reinterpret_cast<RECT*>(metadata_.data()), &dirtyBytes))) {
    const auto* d = reinterpret_cast<const RECT*>(metadata_.data());
    for (UINT i = 0; i < dirtyBytes / sizeof(RECT); ++i) frame_.dirty.push_back(toPixelRect(d[i]));
  }
  frame_.dirty.insert(frame_.dirty.end(), moves.begin(), moves.end());
}

void DxgiScreenCapturer::updatePointer(const DXGI_OUTDUPL_FRAME_INFO& info) {
  if (info.PointerPosition.Visible) {
    frame_.cursorX = info.PointerPosition.Position.x;
    frame_.cursorY = info.PointerPosition.Position.y;
    frame_.cursorVisible = true;
  } else if (info.LastMouseUpdateTime.QuadPart != 0) {
    frame_.cursorVisible = false;
  }
  frame_.shapeChanged = false;
  if (info.PointerShapeBufferSize == 0) return;
  shapeBuffer_.resize(info.PointerShapeBufferSize);
  UINT required = 0;
  DXGI_OUTDUPL_POINTER_SHAPE_INFO si{};
  if (FAILED(duplication_->GetFramePointerShape(UINT(shapeBuffer_.size()), shapeBuffer_.data(),
                                                &required, &si))) {
    return;
  }
  const PointerShapeInfo shape{PointerShapeType(si.Type), si.Width, si.Height, si.Pitch,
                               si.HotSpot.x, si.HotSpot.y};
  frame_.shapeChanged =
      convertPointerShape(shape, ByteView(shapeBuffer_.data(), required), frame_.cursor);
}

bool DxgiScreenCapturer::copyFrame(IDXGIResource* resource) {
  const ClippedDirty clipped = clipDirtyRects(frame_.dirty, frame_.width, frame_.height);
  const bool full =
      chooseCopyMode(frame_.imageValid, clipped.area, frame_.width, frame_.height) ==
      CopyMode::kFull;
  if (!full && clipped.rects.empty()) return true;  // only the pointer changed
  ComPtr<ID3D11Texture2D> texture;
  if (FAILED(resource->QueryInterface(IID_PPV_ARGS(&texture)))) return false;
  if (full) {
    context_->CopyResource(staging_.Get(), texture.Get());
  } else {
    for (const PixelRect& r : clipped.rects) {
      const D3D11_BOX box{UINT(r.left), UINT(r.top), 0, UINT(r.right), UINT(r.bottom), 1};
      context_->CopySubresourceRegion(staging_.Get(), 0, UINT(r.left), UINT(r.top), 0,
                                      texture.Get(), 0, &box);
    }
  }
  D3D11_MAPPED_SUBRESOURCE mapped{};
  if (HRESULT hr = context_->Map(staging_.Get(), 0, D3D11_MAP_READ, 0, &mapped); FAILED(hr)) {
    logOsError("[HOST]", "Map", hresultError(hr));
    return false;
  }
  const PixelRect whole{0, 0, frame_.width, frame_.height};
  copyRects(static_cast<const uint8_t*>(mapped.pData), mapped.RowPitch,
            full ? std::span<const PixelRect>(&whole, 1) : std::span<const PixelRect>(clipped.rects),
            frame_.width, frame_.image.data());
  context_->Unmap(staging_.Get(), 0);
  return true;
}

CaptureResult DxgiScreenCapturer::acquire(int waitMs) {
  if (!duplication_) return haveTarget_ ? recreate() : CaptureResult::kFailed;
  DXGI_OUTDUPL_FRAME_INFO info{};
  ComPtr<IDXGIResource> resource;
  HRESULT hr = duplication_->AcquireNextFrame(UINT(std::max(waitMs, 0)), &info, &resource);
  if (hr == DXGI_ERROR_WAIT_TIMEOUT) return CaptureResult::kTimeout;
  if (hr == DXGI_ERROR_ACCESS_LOST) {
    resource.Reset();
    return recreate();
  }
  if (FAILED(hr)) {
    logOsError("[HOST]", "AcquireNextFrame", hresultError(hr));
    return CaptureResult::kFailed;
  }
  collectDirtyRects(info);
  // Nothing valid to patch: the whole monitor is copied and reported, so the encoder re-reads it
  // all (also after a failed copy, whose changes were never passed on).
  if (!frame_.imageValid) frame_.dirty.assign(1, PixelRect{0, 0, frame_.width, frame_.height});
  updatePointer(info);
  const bool copied = copyFrame(resource.Get());
  resource.Reset();
  duplication_->ReleaseFrame();
  if (!copied) {
    frame_.dirty.clear();  // this frame's changes are not passed on...
    frame_.imageValid = false;  // ...so the next frame is a whole one
    return CaptureResult::kFailed;
  }
  frame_.imageValid = true;
  return CaptureResult::kNewFrame;
}

}  // namespace

std::unique_ptr<ScreenCapturer> createDxgiScreenCapturer() {
  return std::make_unique<DxgiScreenCapturer>();
}

}  // namespace px
