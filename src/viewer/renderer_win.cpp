#include "viewer/renderer_win.h"

#include <d3dcompiler.h>

#include <cstring>
#include <mutex>

#include "base/log.h"
#include "base/wine_detect_win.h"
#include "base/os_error.h"
#include "viewer/picture_fit.h"

namespace px {
namespace {

using Microsoft::WRL::ComPtr;

// No vertex buffer: the three vertices come from their index, and the triangle they make covers
// the viewport with uv 0..1 across it (viewportTriangleVertex does the same arithmetic).
constexpr char kShaderSource[] = R"(
Texture2D picture : register(t0);
SamplerState pictureSampler : register(s0);
struct VsOut {
  float4 position : SV_POSITION;
  float2 uv : TEXCOORD0;
};
VsOut VS(uint id : SV_VertexID) {
  VsOut o;
  o.uv = float2((id * 2) & 2, id & 2);
  o.position = float4(o.uv.x * 2 - 1, 1 - o.uv.y * 2, 0, 1);
  return o;
}
float4 PS(VsOut i) : SV_TARGET {
  return picture.Sample(pictureSampler, i.uv);
}
)";

bool failed(HRESULT hr, const char* call) {
  if (SUCCEEDED(hr)) return false;
  logOsError("[VIEWER]", call, {OsErrorKind::kHresult, int64_t(uint32_t(hr))});
  return true;
}

// Compiler messages are not kept: the source is fixed, so a failure says the compiler is broken
// or missing, which the HRESULT tells.
ComPtr<ID3DBlob> compile(const char* entry, const char* target) {
  ComPtr<ID3DBlob> code, messages;
  const HRESULT hr = D3DCompile(kShaderSource, sizeof kShaderSource - 1, nullptr, nullptr, nullptr,
                                entry, target, 0, 0, &code, &messages);
  if (failed(hr, target[0] == 'v' ? "D3DCompile VS" : "D3DCompile PS")) return nullptr;
  return code;
}

SIZE clientSize(HWND window) {
  RECT r{};
  GetClientRect(window, &r);
  return {r.right - r.left, r.bottom - r.top};
}

}  // namespace

Presentation defaultPresentation() {
  return runningUnderWine() ? Presentation::kWindowCopy : Presentation::kSwapChain;
}

bool Renderer::init(HWND window, int imageWidth, int imageHeight, Presentation presentation) {
  window_ = window;
  presentation_ = presentation;
  const SIZE client = clientSize(window);
  if (!makeDevice(client) || !makeTarget(client)) return false;
  if (!makeTexture(imageWidth, imageHeight)) return false;
  return makeShadersAndSampler();
}

bool Renderer::makeDevice(const SIZE& client) {
  if (presentation_ == Presentation::kWindowCopy) {
    return !failed(D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0,
                                     D3D11_SDK_VERSION, &device_, nullptr, &context_),
                   "D3D11CreateDevice");
  }
  DXGI_SWAP_CHAIN_DESC desc{};
  desc.BufferDesc.Width = UINT(client.cx);
  desc.BufferDesc.Height = UINT(client.cy);
  desc.BufferDesc.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
  desc.SampleDesc.Count = 1;
  desc.BufferUsage = DXGI_USAGE_RENDER_TARGET_OUTPUT;
  desc.BufferCount = 2;
  desc.OutputWindow = window_;
  desc.Windowed = TRUE;
  desc.SwapEffect = DXGI_SWAP_EFFECT_FLIP_DISCARD;
  const HRESULT hr = D3D11CreateDeviceAndSwapChain(
      nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, nullptr, 0, D3D11_SDK_VERSION, &desc,
      &swapChain_, &device_, nullptr, &context_);
  return !failed(hr, "D3D11CreateDeviceAndSwapChain");
}

// The swap chain's back buffer, or an offscreen texture at the client size, and its view.
bool Renderer::makeTarget(const SIZE& client) {
  ComPtr<ID3D11Texture2D> target;
  if (swapChain_) {
    if (failed(swapChain_->GetBuffer(0, IID_PPV_ARGS(&target)), "IDXGISwapChain::GetBuffer")) {
      return false;
    }
  } else {
    D3D11_TEXTURE2D_DESC desc{};
    desc.Width = UINT(client.cx);
    desc.Height = UINT(client.cy);
    desc.MipLevels = 1;
    desc.ArraySize = 1;
    desc.Format = DXGI_FORMAT_B8G8R8A8_UNORM;
    desc.SampleDesc.Count = 1;
    desc.Usage = D3D11_USAGE_DEFAULT;
    desc.BindFlags = D3D11_BIND_RENDER_TARGET;
    if (failed(device_->CreateTexture2D(&desc, nullptr, &target), "CreateTexture2D target")) {
      return false;
    }
  }
  if (failed(device_->CreateRenderTargetView(target.Get(), nullptr, &targetView_),
             "CreateRenderTargetView")) {
    return false;
  }
  target_ = std::move(target);
  return true;
}

// Replaces the texture and its view only when both were made; otherwise the old ones stay.
bool Renderer::makeTexture(int width, int height) {
  D3D11_TEXTURE2D_DESC desc{};
  desc.Width = UINT(width);
  desc.Height = UINT(height);
  desc.MipLevels = 1;
  desc.ArraySize = 1;
  desc.Format = DXGI_FORMAT_B8G8R8A8_UNORM;  // the image's byte order: rows copy unchanged
  desc.SampleDesc.Count = 1;
  desc.Usage = D3D11_USAGE_DYNAMIC;
  desc.BindFlags = D3D11_BIND_SHADER_RESOURCE;
  desc.CPUAccessFlags = D3D11_CPU_ACCESS_WRITE;
  ComPtr<ID3D11Texture2D> texture;
  ComPtr<ID3D11ShaderResourceView> view;
  if (failed(device_->CreateTexture2D(&desc, nullptr, &texture), "CreateTexture2D") ||
      failed(device_->CreateShaderResourceView(texture.Get(), nullptr, &view),
             "CreateShaderResourceView")) {
    return false;
  }
  texture_ = std::move(texture);
  textureView_ = std::move(view);
  textureState_ = {width, height, false};
  return true;
}

bool Renderer::makeShadersAndSampler() {
  const ComPtr<ID3DBlob> vs = compile("VS", "vs_5_0");
  const ComPtr<ID3DBlob> ps = compile("PS", "ps_5_0");
  if (!vs || !ps) return false;
  if (failed(device_->CreateVertexShader(vs->GetBufferPointer(), vs->GetBufferSize(), nullptr,
                                         &vertexShader_),
             "CreateVertexShader") ||
      failed(device_->CreatePixelShader(ps->GetBufferPointer(), ps->GetBufferSize(), nullptr,
                                        &pixelShader_),
             "CreatePixelShader")) {
    return false;
  }
  D3D11_SAMPLER_DESC desc{};  // comparison, border colour, mip bias and LOD range all 0
  desc.Filter = D3D11_FILTER_MIN_MAG_MIP_LINEAR;
  desc.AddressU = D3D11_TEXTURE_ADDRESS_CLAMP;
  desc.AddressV = D3D11_TEXTURE_ADDRESS_CLAMP;
  desc.AddressW = D3D11_TEXTURE_ADDRESS_CLAMP;
  return !failed(device_->CreateSamplerState(&desc, &sampler_), "CreateSamplerState");
}

void Renderer::resize(int clientWidth, int clientHeight) {
  if (!device_ || clientWidth < 1 || clientHeight < 1) return;
  // Every reference to the old buffers must go before they can be resized.
  targetView_.Reset();
  target_.Reset();
  staging_.Reset();
  context_->OMSetRenderTargets(0, nullptr, nullptr);
  if (swapChain_) {
    const HRESULT hr = swapChain_->ResizeBuffers(0, UINT(clientWidth), UINT(clientHeight),
                                                 DXGI_FORMAT_UNKNOWN, 0);
    if (failed(hr, "IDXGISwapChain::ResizeBuffers")) return;
  }
  if (!makeTarget({clientWidth, clientHeight})) targetView_.Reset();
}

void Renderer::uploadIfNeeded(ScreenImage& image, bool changed) {
  if (!device_ || !context_) return;
  std::lock_guard lock(image.lock);
  const UploadAction action =
      planUpload(changed, textureState_, image.width, image.height, image.pixels.size());
  if (action == UploadAction::kSkip) return;
  // A failed replacement skips this upload; the next changed frame tries again.
  if (action == UploadAction::kReplace && !makeTexture(image.width, image.height)) return;
  writeTexture(image.pixels.data(), image.width, image.height);
}

void Renderer::writeTexture(const uint8_t* pixels, int width, int height) {
  D3D11_MAPPED_SUBRESOURCE mapped{};
  if (failed(context_->Map(texture_.Get(), 0, D3D11_MAP_WRITE_DISCARD, 0, &mapped),
             "ID3D11DeviceContext::Map")) {
    return;
  }
  copyImageRows(pixels, width, height, static_cast<uint8_t*>(mapped.pData), mapped.RowPitch,
                textureState_.width, textureState_.height);
  context_->Unmap(texture_.Get(), 0);
  textureState_.written = true;
}

bool Renderer::render() {
  if (!context_ || !targetView_) return false;
  D3D11_TEXTURE2D_DESC target{};
  target_->GetDesc(&target);
  const PictureFit fit =
      fitPicture(int(target.Width), int(target.Height), textureState_.width, textureState_.height);
  const D3D11_VIEWPORT viewport{fit.left, fit.top, fit.width, fit.height, 0.0f, 1.0f};
  const float bars[4] = {kViewBarColour.r / 255.0f, kViewBarColour.g / 255.0f,
                         kViewBarColour.b / 255.0f, 1.0f};
  context_->ClearRenderTargetView(targetView_.Get(), bars);
  context_->OMSetRenderTargets(1, targetView_.GetAddressOf(), nullptr);
  context_->RSSetViewports(1, &viewport);
  context_->IASetPrimitiveTopology(D3D11_PRIMITIVE_TOPOLOGY_TRIANGLELIST);
  context_->VSSetShader(vertexShader_.Get(), nullptr, 0);
  context_->PSSetShader(pixelShader_.Get(), nullptr, 0);
  context_->PSSetShaderResources(0, 1, textureView_.GetAddressOf());
  context_->PSSetSamplers(0, 1, sampler_.GetAddressOf());
  context_->Draw(3, 0);
  return true;
}

void Renderer::present() {
  if (presentation_ == Presentation::kWindowCopy) {
    if (targetView_) copyToWindow();
    return;
  }
  // Waiting for vertical blank paces the session's loop. The result is not examined: a lost
  // device shows as a frozen picture, and the session ends with its connection.
  if (swapChain_) swapChain_->Present(1, 0);
}

void Renderer::copyToWindow() {
  D3D11_MAPPED_SUBRESOURCE mapped{};
  D3D11_TEXTURE2D_DESC desc{};
  if (!mapTarget(mapped, desc)) return;
  // The DIB is as wide as the mapped row pitch, so the rows are used in place; only the target's
  // own columns are copied.
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = LONG(mapped.RowPitch / 4);
  info.bmiHeader.biHeight = -LONG(desc.Height);  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  if (HDC dc = GetDC(window_)) {
    SetDIBitsToDevice(dc, 0, 0, desc.Width, desc.Height, 0, 0, 0, desc.Height, mapped.pData,
                      &info, DIB_RGB_COLORS);
    ReleaseDC(window_, dc);
  }
  context_->Unmap(staging_.Get(), 0);
}

bool Renderer::drawFrame(ScreenImage& image, bool changed) {
  uploadIfNeeded(image, changed);
  if (!render()) return false;
  present();
  return true;
}

// A texture the CPU reads, in the target's format, width × height.
bool Renderer::makeStaging(const D3D11_TEXTURE2D_DESC& target, UINT width, UINT height,
                           Microsoft::WRL::ComPtr<ID3D11Texture2D>& out) {
  D3D11_TEXTURE2D_DESC desc = target;
  desc.Width = width;
  desc.Height = height;
  desc.Usage = D3D11_USAGE_STAGING;
  desc.BindFlags = 0;
  desc.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
  desc.MiscFlags = 0;
  return !failed(device_->CreateTexture2D(&desc, nullptr, &out), "CreateTexture2D staging");
}

bool Renderer::mapTarget(D3D11_MAPPED_SUBRESOURCE& mapped, D3D11_TEXTURE2D_DESC& desc) {
  if (!device_ || !context_ || !target_) return false;
  target_->GetDesc(&desc);
  if (!staging_ && !makeStaging(desc, desc.Width, desc.Height, staging_)) return false;
  context_->CopyResource(staging_.Get(), target_.Get());
  return !failed(context_->Map(staging_.Get(), 0, D3D11_MAP_READ, 0, &mapped),
                 "ID3D11DeviceContext::Map staging");
}

bool Renderer::readBack(BackBufferImage& out) {
  D3D11_MAPPED_SUBRESOURCE mapped{};
  D3D11_TEXTURE2D_DESC desc{};
  if (!mapTarget(mapped, desc)) return false;
  out.width = int(desc.Width);
  out.height = int(desc.Height);
  const size_t rowBytes = size_t(desc.Width) * 4;
  out.pixels.resize(rowBytes * desc.Height);
  const auto* source = static_cast<const uint8_t*>(mapped.pData);
  for (UINT r = 0; r < desc.Height; ++r) {
    std::memcpy(out.pixels.data() + r * rowBytes, source + size_t(r) * mapped.RowPitch, rowBytes);
  }
  context_->Unmap(staging_.Get(), 0);
  return true;
}

bool Renderer::readPixel(int x, int y, uint32_t& bgra) {
  if (!device_ || !context_ || !target_) return false;
  D3D11_TEXTURE2D_DESC desc{};
  target_->GetDesc(&desc);
  if (x < 0 || y < 0 || UINT(x) >= desc.Width || UINT(y) >= desc.Height) return false;
  if (!pixelStaging_ && !makeStaging(desc, 1, 1, pixelStaging_)) return false;
  const D3D11_BOX box{UINT(x), UINT(y), 0, UINT(x) + 1, UINT(y) + 1, 1};
  context_->CopySubresourceRegion(pixelStaging_.Get(), 0, 0, 0, 0, target_.Get(), 0, &box);
  D3D11_MAPPED_SUBRESOURCE mapped{};
  if (failed(context_->Map(pixelStaging_.Get(), 0, D3D11_MAP_READ, 0, &mapped),
             "ID3D11DeviceContext::Map pixel staging")) {
    return false;
  }
  std::memcpy(&bgra, mapped.pData, sizeof bgra);
  context_->Unmap(pixelStaging_.Get(), 0);
  return true;
}

void Renderer::release() {
  // The context holds the swap chain's buffer bound; unbind before the chain goes.
  if (context_) {
    context_->ClearState();
    context_->Flush();
  }
  targetView_.Reset();
  target_.Reset();
  staging_.Reset();
  pixelStaging_.Reset();
  swapChain_.Reset();
  context_.Reset();
  device_.Reset();
}

}  // namespace px
