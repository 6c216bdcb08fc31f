// The main window's native controls: the six edit boxes (cue banners, no visual theme, the edit
// font, Enter and Tab handled through the window's key decisions) and the four owner-drawn
// buttons, drawn with Direct2D into their own device context. Children of the main window,
// destroyed with it. Main thread only.
#pragma once

#include <d2d1.h>
#include <dwrite.h>
#include <windows.h>
#include <wrl/client.h>

#include <array>
#include <functional>
#include <optional>
#include <string>

#include "ui/main_controls_layout.h"
#include "ui/ui_handles_win.h"

namespace px {

class MainControls {
 public:
  using KeyDecision = std::function<EditKeyAction(MainControl edit, EditKey key)>;
  using FocusChanged = std::function<void()>;

  MainControls(Microsoft::WRL::ComPtr<ID2D1Factory> d2d,
               Microsoft::WRL::ComPtr<IDWriteFactory> dwrite)
      : d2d_(std::move(d2d)), dwrite_(std::move(dwrite)) {}
  MainControls(const MainControls&) = delete;
  MainControls& operator=(const MainControls&) = delete;

  // Creates every control hidden. False when one could not be made.
  bool create(HWND parent, int dpi, KeyDecision keys, FocusChanged focusChanged);
  // Shows or hides, moves (DIPs to pixels at the current DPI), enables and sets read-only.
  void apply(const MainControlsPlacement& placement);
  // A new edit font and button target at `dpi`; the caller places the controls again.
  void setDpi(int dpi);

  std::u16string text(MainControl edit) const;
  void setText(MainControl edit, const std::u16string& text);
  void focus(MainControl control);
  std::optional<MainControl> focusedEdit() const { return focusedEdit_; }
  // True for the six edits (their WM_CTLCOLOREDIT / WM_CTLCOLORSTATIC answer is ours).
  bool isEdit(HWND window) const;
  // WM_DRAWITEM of one of the buttons; false for any other item.
  bool drawButton(const DRAWITEMSTRUCT& item);

 private:
  static LRESULT CALLBACK editProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  static LRESULT CALLBACK buttonProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  LRESULT editMessage(MainControl edit, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT buttonMessage(MainControl button, UINT msg, WPARAM wParam, LPARAM lParam);
  HWND handle(MainControl c) const { return handles_[size_t(c)]; }
  void runKey(MainControl edit, EditKey key);

  Microsoft::WRL::ComPtr<ID2D1Factory> d2d_;
  Microsoft::WRL::ComPtr<IDWriteFactory> dwrite_;
  Microsoft::WRL::ComPtr<ID2D1DCRenderTarget> buttonTarget_;
  Microsoft::WRL::ComPtr<IDWriteTextFormat> buttonFormat_;
  HWND parent_ = nullptr;
  int dpi_ = 96;
  ScopedFont font_;
  std::array<HWND, kMainControlCount> handles_{};
  std::array<bool, kMainControlCount> hovered_{};
  std::optional<MainControl> focusedEdit_;
  KeyDecision keys_;
  FocusChanged focusChanged_;
};

}  // namespace px
