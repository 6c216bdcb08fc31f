#include "app/status_indicator.h"

#include <gtest/gtest.h>

namespace px {
namespace {

struct ColourCase {
  const char* text;
  HostState host;
  RelayStatus relay;
  Rgb colour;
};

TEST(StatusColourTest, FirstMatchingRuleWins) {
  const ColourCase cases[] = {
      {"Erro: Handshake falhou", HostState::kActive, RelayStatus::kRegistered, kStatusErrorRed},
      {"Conexao falhou", HostState::kIdle, RelayStatus::kConnecting, kStatusErrorRed},
      {"Acesso recusado.", HostState::kIdle, RelayStatus::kRegistered, kStatusErrorRed},
      {"erro minusculo", HostState::kIdle, RelayStatus::kNotStarted, kStatusIdleGrey},
      {"Pedido de acesso recebido...", HostState::kPending, RelayStatus::kRegistered,
       kStatusBusyOrange},
      {"Sessao ativa: Ana", HostState::kActive, RelayStatus::kConnecting, kStatusBusyOrange},
      {"Pronto. Aguardando conexão...", HostState::kIdle, RelayStatus::kRegistered,
       kStatusRegisteredGreen},
      {"Pronto", HostState::kIdle, RelayStatus::kConnecting, kStatusIdleGrey},
      {"", HostState::kIdle, RelayStatus::kNotStarted, kStatusIdleGrey},
  };
  for (const ColourCase& c : cases) {
    const Rgb got = statusIndicatorColour(c.text, c.host, c.relay);
    EXPECT_EQ(got, c.colour) << '"' << c.text << "\" -> " << int(got.r) << "," << int(got.g) << ","
                             << int(got.b);
  }
}

}  // namespace
}  // namespace px
