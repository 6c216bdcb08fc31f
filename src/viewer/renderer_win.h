// The viewer's Direct3D 11 renderer: one device, a flip-model swap chain on the view window, one
// dynamic texture holding the remote screen, and a shader pair that draws it as a single
// triangle over a viewport fitted to the view. Owned and used by the session thread only.
#pragma once

#include <d3d11.h>
#include <dxgi.h>
#include <windows.h>
#include <wrl/client.h>

#include <cstdint>

#include "base/bytes.h"
#include "ui/rgb.h"
#include "ui/theme.h"
#include "viewer/screen_image.h"
#include "viewer/texture_upload.h"

namespace px {

// The bars beside the picture: the theme's field background.
inline constexpr Rgb kViewBarColour = kFieldColour;

// The back buffer as read back: B G R A, rows top-down, no padding.
struct BackBufferImage {
  int width = 0;
  int height = 0;
  Bytes pixels;
};

class Renderer {
 public:
  Renderer() = default;
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // Device, swap chain at the window's client size, texture at the image size, shaders and
  // sampler; false (with a "[VIEWER]" log line) when any of them could not be made.
  bool init(HWND window, int imageWidth, int imageHeight);
  // The swap chain follows the view; sizes below 1 are ignored. On failure draw does nothing
  // until a later resize succeeds.
  void resize(int clientWidth, int clientHeight);
  // One frame: uploads the image when `changed` (the receive thread's mark, taken by the caller)
  // or when the texture was never written, draws, presents. False when nothing was drawn.
  bool drawFrame(ScreenImage& image, bool changed);
  // Releases swap chain, device and context; draw then does nothing.
  void release();

  // The steps of drawFrame, apart so that a test can read the frame back before it is presented
  // (a flip-model back buffer is undefined after Present).
  void uploadIfNeeded(ScreenImage& image, bool changed);  // takes the image lock
  bool render();
  void present();
  bool readBack(BackBufferImage& out);

  const TextureState& texture() const { return textureState_; }

 private:
  bool makeTargetView();
  bool makeTexture(int width, int height);
  bool makeShadersAndSampler();
  void writeTexture(const uint8_t* pixels, int width, int height);

  HWND window_ = nullptr;
  TextureState textureState_;
  Microsoft::WRL::ComPtr<ID3D11Device> device_;
  Microsoft::WRL::ComPtr<ID3D11DeviceContext> context_;
  Microsoft::WRL::ComPtr<IDXGISwapChain> swapChain_;
  Microsoft::WRL::ComPtr<ID3D11RenderTargetView> targetView_;
  Microsoft::WRL::ComPtr<ID3D11Texture2D> texture_;
  Microsoft::WRL::ComPtr<ID3D11ShaderResourceView> textureView_;
  Microsoft::WRL::ComPtr<ID3D11VertexShader> vertexShader_;
  Microsoft::WRL::ComPtr<ID3D11PixelShader> pixelShader_;
  Microsoft::WRL::ComPtr<ID3D11SamplerState> sampler_;
};

}  // namespace px
