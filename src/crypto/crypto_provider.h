// What a crypto provider (crypto_openssl.cpp, crypto_cng.cpp) supplies beneath crypto.h. The
// portable half (record_key.cpp) owns the nonce counter rules; providers only do one-shot work.
#pragma once

#include "crypto/crypto.h"

namespace px::provider {

// Expands `key` into provider state; null when the provider refuses.
std::unique_ptr<GcmKeyState, GcmKeyStateDeleter> gcmKeyCreate(const AesKey32& key);

// One-call AES-256-GCM. `out` receives ciphertext then the 16-byte tag; in-place allowed.
bool gcmEncrypt(GcmKeyState& key, const std::array<uint8_t, kGcmNonceSize>& nonce, ByteView aad,
                ByteView plaintext, uint8_t* out);
// `input` is ciphertext then tag; `out` receives input.size() - 16 bytes; in-place allowed.
bool gcmDecrypt(GcmKeyState& key, const std::array<uint8_t, kGcmNonceSize>& nonce, ByteView aad,
                ByteView input, uint8_t* out);

}  // namespace px::provider
