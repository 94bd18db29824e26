// Base 64 encoding and decoding against OpenSSL's EVP_EncodeBlock / EVP_DecodeBlock, with the
// same padded text on the same inputs. OpenSSL writes into a buffer made once; ours returns a new
// string or byte vector on every call, as the library uses it.

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <vector>

#include "encoding/RookStringEncoding.h"

namespace {

std::vector<uint8_t> randomBytes(size_t count) {
  std::mt19937 generator(42);
  std::vector<uint8_t> bytes(count);
  for (auto& byte : bytes)
    byte = static_cast<uint8_t>(generator());
  return bytes;
}

std::string openSSLEncode(const std::vector<uint8_t>& bytes) {
  std::string text(4 * ((bytes.size() + 2) / 3) + 1, '\0');
  const int length = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(text.data()), bytes.data(),
                                     static_cast<int>(bytes.size()));
  text.resize(length);
  return text;
}

// Both sides must agree on the text before their speeds mean anything.
void checkAgreement(const RookStringEncoding& encoding, const std::vector<uint8_t>& bytes) {
  const std::string text = encoding.encode(bytes);
  if (text != openSSLEncode(bytes) || encoding.decode(text) != bytes) {
    std::fprintf(stderr, "base 64 texts disagree for %zu bytes\n", bytes.size());
    std::abort();
  }
}

void BM_Base64Encode_TAD(benchmark::State& state) {
  const auto bytes = randomBytes(state.range(0));
  const auto encoding = RookStringEncoding::rfc4648Base64StringEncoding();
  checkAgreement(*encoding, bytes);
  for (auto _ : state) {
    std::string text = encoding->encode(bytes);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_Base64Encode_OpenSSL(benchmark::State& state) {
  const auto bytes = randomBytes(state.range(0));
  std::vector<unsigned char> text(4 * ((bytes.size() + 2) / 3) + 1);
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        EVP_EncodeBlock(text.data(), bytes.data(), static_cast<int>(bytes.size())));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_Base64Decode_TAD(benchmark::State& state) {
  const auto bytes = randomBytes(state.range(0));
  const auto encoding = RookStringEncoding::rfc4648Base64StringEncoding();
  const std::string text = encoding->encode(bytes);
  for (auto _ : state) {
    auto decoded = encoding->decode(text);
    benchmark::DoNotOptimize(decoded->data());
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
}

void BM_Base64Decode_OpenSSL(benchmark::State& state) {
  const auto bytes = randomBytes(state.range(0));
  const std::string text = openSSLEncode(bytes);
  std::vector<unsigned char> decoded(text.size() / 4 * 3 + 3);
  for (auto _ : state) {
    benchmark::DoNotOptimize(EVP_DecodeBlock(decoded.data(),
                                             reinterpret_cast<const unsigned char*>(text.data()),
                                             static_cast<int>(text.size())));
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * bytes.size());
}

void sizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Arg(64)->Arg(4 << 10)->Arg(1 << 20);
}

BENCHMARK(BM_Base64Encode_TAD)->Apply(sizes);
BENCHMARK(BM_Base64Encode_OpenSSL)->Apply(sizes);
BENCHMARK(BM_Base64Decode_TAD)->Apply(sizes);
BENCHMARK(BM_Base64Decode_OpenSSL)->Apply(sizes);

}  // namespace

BENCHMARK_MAIN();
