// The screens' services as the program has them: the host service's state, this computer's ID,
// the account clock, detached login and logout threads reporting through WorkerReports, the
// saved login and the favourites. Starting a viewer session is the shell's and is handed in.
#pragma once

#include <functional>
#include <string>

#include "app/main_screens.h"
#include "app/main_window_messages.h"
#include "app/worker_reports.h"

namespace px {

class ProcessScreensServices final : public MainScreensServices {
 public:
  using ViewerStarter = std::function<void(const std::string& id, std::string password)>;

  // `reports` and `host` must outlive every thread started here. Without `hostMode` this
  // computer has no ID.
  ProcessScreensServices(WorkerReports& reports, HostControl& host, bool hostMode,
                         ViewerStarter startViewer)
      : reports_(reports), host_(host), hostMode_(hostMode), startViewer_(std::move(startViewer)) {}

  HostState hostState() const override { return host_.state(); }
  std::string ownId() const override;
  int64_t now() const override;
  void startLogin(LoginThreadRequest request) override;
  void startLogout(const SessionToken& token) override;
  void startViewerSession(const std::string& id, std::string password) override;
  void saveLogin(const LoginResult& result) override;
  void forgetSavedLogin() override;
  void loadFavourites(const std::string& loginName) override;
  void clearFavourites() override;

 private:
  WorkerReports& reports_;
  HostControl& host_;
  bool hostMode_;
  ViewerStarter startViewer_;
};

}  // namespace px
