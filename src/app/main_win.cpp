// Windows entry point. The main window and its shell arrive later; this one states that the
// program starts and the crypto providers load.
#include <windows.h>

#include "crypto/crypto.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  px::Digest32 probe = px::sha256({px::asBytes("Parvolex")});
  const bool ready = probe[0] != 0 || probe[1] != 0;
  MessageBoxW(nullptr, ready ? L"Parvolex iniciado." : L"Erro: falha de criptografia",
              L"Parvolex", ready ? MB_ICONINFORMATION : MB_ICONERROR);
  return ready ? 0 : 1;
}
