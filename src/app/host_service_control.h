// The main window's view of the process's HostService.
#pragma once

#include "app/main_window_messages.h"

namespace px {

class HostServiceControl final : public HostControl {
 public:
  // `service` must outlive this object.
  explicit HostServiceControl(HostService& service) : service_(service) {}
  HostState state() const override { return service_.state(); }
  void offerIncoming(std::unique_ptr<SecureChannel> channel) override {
    service_.offerIncoming(std::move(channel));
  }
  void startHostSession(HostSessionStart start) override {
    service_.startHostSession(std::move(start));
  }

 private:
  HostService& service_;
};

}  // namespace px
