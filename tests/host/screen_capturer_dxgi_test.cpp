#include <gtest/gtest.h>

#include <d3d11.h>
#include <dxgi1_2.h>
#include <wrl/client.h>

#include "host/capturers_win.h"
#include "host/monitor_selection.h"
#include "host/screen_capturer.h"

namespace px {
namespace {

using Microsoft::WRL::ComPtr;

// What DuplicateOutput answers on the first output of the first adapter, made the same way the
// capturer makes it.
HRESULT probeDuplication() {
  ComPtr<IDXGIFactory1> factory;
  ComPtr<IDXGIAdapter1> adapter;
  ComPtr<IDXGIOutput> output;
  ComPtr<IDXGIOutput1> output1;
  if (FAILED(CreateDXGIFactory1(IID_PPV_ARGS(&factory))) ||
      FAILED(factory->EnumAdapters1(0, &adapter)) || FAILED(adapter->EnumOutputs(0, &output)) ||
      FAILED(output.As(&output1))) {
    return DXGI_ERROR_NOT_FOUND;
  }
  ComPtr<ID3D11Device> device;
  HRESULT hr = D3D11CreateDevice(adapter.Get(), D3D_DRIVER_TYPE_UNKNOWN, nullptr, 0, nullptr, 0,
                                 D3D11_SDK_VERSION, &device, nullptr, nullptr);
  if (FAILED(hr)) return hr;
  ComPtr<IDXGIOutputDuplication> duplication;
  return output1->DuplicateOutput(device.Get(), &duplication);
}

TEST(ScreenCapturerDxgi, CapturesTheFirstMonitor) {
  const HRESULT probe = probeDuplication();
  if (probe == E_NOTIMPL) {
    // The capturer must still fail cleanly and keep failing without a duplication.
    auto capturer = createDxgiScreenCapturer();
    EXPECT_FALSE(capturer->create(0, 0));
    EXPECT_EQ(capturer->acquire(10), CaptureResult::kFailed);
    GTEST_SKIP() << "DXGI DuplicateOutput is not implemented here (E_NOTIMPL, as under Wine)";
  }
  if (probe == DXGI_ERROR_NOT_FOUND) GTEST_SKIP() << "no DXGI adapter with an output";
  ASSERT_TRUE(SUCCEEDED(probe)) << std::hex << probe;

  auto capturer = createDxgiScreenCapturer();
  MonitorSet set;
  ASSERT_TRUE(startCapture(*capturer, set));
  CaptureResult r = CaptureResult::kTimeout;
  for (int i = 0; i < 20 && r != CaptureResult::kNewFrame; ++i) r = capturer->acquire(100);
  ASSERT_EQ(r, CaptureResult::kNewFrame);
  const CaptureFrame& f = capturer->frame();
  EXPECT_TRUE(f.imageValid);
  EXPECT_EQ(f.image.size(), size_t(f.width) * size_t(f.height) * 4);
}

TEST(ScreenCapturerDxgi, ListsMonitorsWithPositiveSizes) {
  auto capturer = createDxgiScreenCapturer();
  for (const MonitorInfo& m : capturer->enumerateMonitors()) {
    EXPECT_GT(m.width, 0);
    EXPECT_GT(m.height, 0);
    EXPECT_EQ(m.width, m.desktop.width());
  }
}

}  // namespace
}  // namespace px
