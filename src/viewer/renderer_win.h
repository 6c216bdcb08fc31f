// The viewer's Direct3D 11 renderer: one device, a flip-model swap chain on the view window, one
// dynamic texture holding the remote screen, and a shader pair that draws it as a single
// triangle over a viewport fitted to the view. Owned and used by the session thread only.
// Under Wine the frame is drawn offscreen and copied to the view instead (see Presentation).
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

// How a drawn frame reaches the view.
enum class Presentation {
  kSwapChain,   // a flip-model swap chain on the view
  // Drawn into an offscreen target, read back and copied to the view by GDI. Wine 8 never shows
  // a swap chain on a child window on the X screen, so under Wine the picture shows only this way.
  kWindowCopy,
};

// kWindowCopy under Wine, kSwapChain elsewhere.
Presentation defaultPresentation();

class Renderer {
 public:
  Renderer() = default;
  Renderer(const Renderer&) = delete;
  Renderer& operator=(const Renderer&) = delete;

  // Device, swap chain (or offscreen target) at the window's client size, texture at the image
  // size, shaders and sampler; false (with a "[VIEWER]" log line) when any could not be made.
  bool init(HWND window, int imageWidth, int imageHeight,
            Presentation presentation = defaultPresentation());
  // The target follows the view; sizes below 1 are ignored. On failure draw does nothing
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
  // One pixel of the target (B G R A), through a one-pixel staging texture: waits for the drawing
  // like readBack but copies four bytes. False outside the target or when it cannot be read.
  bool readPixel(int x, int y, uint32_t& bgra);

  const TextureState& texture() const { return textureState_; }

 private:
  bool makeDevice(const SIZE& client);
  bool makeTarget(const SIZE& client);
  bool makeTexture(int width, int height);
  bool makeShadersAndSampler();
  void writeTexture(const uint8_t* pixels, int width, int height);
  // The target copied into staging_ (made or remade to the target's size) and mapped for reading;
  // the caller unmaps staging_.
  bool mapTarget(D3D11_MAPPED_SUBRESOURCE& mapped, D3D11_TEXTURE2D_DESC& desc);
  bool makeStaging(const D3D11_TEXTURE2D_DESC& target, UINT width, UINT height,
                   Microsoft::WRL::ComPtr<ID3D11Texture2D>& out);
  void copyToWindow();

  HWND window_ = nullptr;
  Presentation presentation_ = Presentation::kSwapChain;
  TextureState textureState_;
  Microsoft::WRL::ComPtr<ID3D11Device> device_;
  Microsoft::WRL::ComPtr<ID3D11DeviceContext> context_;
  Microsoft::WRL::ComPtr<IDXGISwapChain> swapChain_;
  Microsoft::WRL::ComPtr<ID3D11Texture2D> target_;  // the back buffer, or the offscreen target
  Microsoft::WRL::ComPtr<ID3D11RenderTargetView> targetView_;
  Microsoft::WRL::ComPtr<ID3D11Texture2D> staging_;
  Microsoft::WRL::ComPtr<ID3D11Texture2D> pixelStaging_;  // 1x1, for readPixel
  Microsoft::WRL::ComPtr<ID3D11Texture2D> texture_;
  Microsoft::WRL::ComPtr<ID3D11ShaderResourceView> textureView_;
  Microsoft::WRL::ComPtr<ID3D11VertexShader> vertexShader_;
  Microsoft::WRL::ComPtr<ID3D11PixelShader> pixelShader_;
  Microsoft::WRL::ComPtr<ID3D11SamplerState> sampler_;
};

}  // namespace px
