#include "ui/home_layout.h"

#include <string>

#include "ui/frame_layout.h"

namespace px {
namespace {

constexpr float kSideMargin = 28;
constexpr float kLogoutWidth = 64;
constexpr float kLogoutGap = 10;        // between "Sair" and the minimise button
constexpr float kDisplayNameLeft = 140;
constexpr float kDisplayNameGap = 12;   // between the name and "Sair"
constexpr float kConnectButtonWidth = 118;
constexpr float kChatButtonWidth = 84;
constexpr float kButtonGap = 10;
constexpr float kCardHeight = 76;

float minimiseLeft(float width) {
  return captionButtonRect(CaptionButton::kMinimise, width, true).value().left;
}

}  // namespace

HomeLayout layoutHomeScreen(const HomeScreenInput& in) {
  const float w = in.client.width;
  const float right = w - kSideMargin;
  HomeLayout l;
  const float m = minimiseLeft(w);
  l.logoutButton = {m - kLogoutGap - kLogoutWidth, 10, m - kLogoutGap, 38};
  l.displayName = {kDisplayNameLeft, 0, l.logoutButton.left - kDisplayNameGap, kCaptionHeight};
  l.connectPanel = {kSideMargin, 64, right, 112};
  l.connectButton = {w - 152, 70, w - 152 + kConnectButtonWidth, 106};
  const float chatRight = l.connectButton.left - kButtonGap;
  l.chatButton = {chatRight - kChatButtonWidth, 70, chatRight, 106};
  l.remotePasswordPanel = {kSideMargin, 122, right, 162};
  l.card = layoutIdCard(kHomeCardTop, w, in.id, in.relayRegistered, in.measures);
  l.unattendedHeading = {kSideMargin, kHomeCardTop + kCardHeight + 8, right, 290};
  l.newPasswordField = {kSideMargin, 296, w - 152, 336};
  l.saveButton = {w - 138, 296, right, 336};
  l.unattendedHint = {kSideMargin, 340, right, 362};
  l.statusLine = statusLineLayout(in.client);
  return l;
}

void addHomeRegions(const HomeLayout& layout, std::string_view id, HitRegionList& regions) {
  regions.add(HitKind::kLogout, layout.logoutButton);
  if (layout.card.showDigits) regions.add(HitKind::kIdDigits, layout.card.digits, std::string(id));
}

}  // namespace px
