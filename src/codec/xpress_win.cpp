// Windows: the Compression API (cabinet.dll) when it is there, our own coder otherwise. The
// entry points are bound at run time: mingw's import library lacks them and Wine's cabinet.dll
// does not have them.
#include <compressapi.h>
#include <windows.h>

#include <algorithm>

#include "base/log.h"
#include "base/scoped_handle.h"
#include "codec/xpress_backend.h"
#include "codec/xpress_buffer_mode.h"

namespace px::xpress {
namespace {

// The six entry points, loaded once per process; all null when any one is missing.
struct CompressionApi {
  decltype(&::CreateCompressor) createCompressor = nullptr;
  decltype(&::Compress) compress = nullptr;
  decltype(&::CloseCompressor) closeCompressor = nullptr;
  decltype(&::CreateDecompressor) createDecompressor = nullptr;
  decltype(&::Decompress) decompress = nullptr;
  decltype(&::CloseDecompressor) closeDecompressor = nullptr;

  bool available() const { return createCompressor != nullptr; }
};

template <typename Fn>
bool bind(HMODULE module, const char* name, Fn& out) {
  out = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  return out != nullptr;
}

const CompressionApi& compressionApi() {
  static const CompressionApi api = [] {
    CompressionApi a;
    // Kept loaded for the life of the process; the function pointers refer into it.
    HMODULE module = LoadLibraryExW(L"cabinet.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module) {
      logPrintf("[Parvolex] XPRESS: cabinet.dll nao carregou (erro %lu), usando coder interno\n",
                GetLastError());
      return a;
    }
    const bool ok = bind(module, "CreateCompressor", a.createCompressor) &&
                    bind(module, "Compress", a.compress) &&
                    bind(module, "CloseCompressor", a.closeCompressor) &&
                    bind(module, "CreateDecompressor", a.createDecompressor) &&
                    bind(module, "Decompress", a.decompress) &&
                    bind(module, "CloseDecompressor", a.closeDecompressor);
    if (!ok) {
      logPrintf("[Parvolex] XPRESS: Compression API ausente, usando coder interno\n");
      return CompressionApi{};
    }
    return a;
  }();
  return api;
}

struct CompressorTraits {
  using Handle = COMPRESSOR_HANDLE;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { compressionApi().closeCompressor(h); }
};
struct DecompressorTraits {
  using Handle = DECOMPRESSOR_HANDLE;
  static Handle invalid() { return nullptr; }
  static void close(Handle h) { compressionApi().closeDecompressor(h); }
};

class SystemCompress final : public CompressBackend {
 public:
  explicit SystemCompress(ScopedHandle<CompressorTraits> handle) : handle_(std::move(handle)) {}

  bool compress(ByteView input, Bytes& output) override {
    const CompressionApi& api = compressionApi();
    // Stored chunks bound the output: the header, each chunk's size field and its bytes.
    const size_t chunks = (input.size() + kMaxChunkSize - 1) / kMaxChunkSize;
    output.resize(input.size() + kHeaderSize + 4 * chunks + 64);
    SIZE_T written = 0;
    if (!api.compress(handle_.get(), const_cast<uint8_t*>(input.data()), input.size(),
                      output.data(), output.size(), &written)) {
      if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || written == 0) return fail("Compress");
      output.resize(written);
      if (!api.compress(handle_.get(), const_cast<uint8_t*>(input.data()), input.size(),
                        output.data(), output.size(), &written)) {
        return fail("Compress");
      }
    }
    output.resize(written);
    return written != 0;
  }
  bool isSystemCoder() const override { return true; }

 private:
  static bool fail(const char* call) {
    logPrintf("[Parvolex] XPRESS: %s falhou (erro %lu)\n", call, GetLastError());
    return false;
  }

  ScopedHandle<CompressorTraits> handle_;
};

class SystemDecompress final : public DecompressBackend {
 public:
  explicit SystemDecompress(ScopedHandle<DecompressorTraits> handle) : handle_(std::move(handle)) {}

  bool decompress(ByteView input, size_t maxOutput, Bytes& output) override {
    // The declared size is checked here, so the buffer never grows past the caller's bound.
    BufferModeHeader header;
    if (!parseBufferModeHeader(input, header) || header.totalSize > maxOutput) return false;
    output.resize(size_t(header.totalSize));
    SIZE_T produced = 0;
    if (!compressionApi().decompress(handle_.get(), const_cast<uint8_t*>(input.data()),
                                     input.size(), output.data(), output.size(), &produced)) {
      return false;
    }
    output.resize(std::min<size_t>(produced, output.size()));
    return true;
  }
  bool isSystemCoder() const override { return true; }

 private:
  ScopedHandle<DecompressorTraits> handle_;
};

}  // namespace

std::unique_ptr<CompressBackend> makeCompressBackend() {
  const CompressionApi& api = compressionApi();
  COMPRESSOR_HANDLE handle = nullptr;
  if (api.available() && api.createCompressor(COMPRESS_ALGORITHM_XPRESS_HUFF, nullptr, &handle)) {
    return std::make_unique<SystemCompress>(ScopedHandle<CompressorTraits>(handle));
  }
  return makePortableCompressBackend();
}

std::unique_ptr<DecompressBackend> makeDecompressBackend() {
  const CompressionApi& api = compressionApi();
  DECOMPRESSOR_HANDLE handle = nullptr;
  if (api.available() && api.createDecompressor(COMPRESS_ALGORITHM_XPRESS_HUFF, nullptr, &handle)) {
    return std::make_unique<SystemDecompress>(ScopedHandle<DecompressorTraits>(handle));
  }
  return makePortableDecompressBackend();
}

}  // namespace px::xpress
