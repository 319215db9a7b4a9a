// SHA-256, incremental, so that a file can be hashed in the same pass that
// packs it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace lnf {

// Written here because nothing that loads on Windows 95 offers it: the
// system's own cryptographic provider has SHA-256 only from Windows XP SP3.
class Sha256 {
 public:
  using Digest = std::array<std::uint8_t, 32>;

  Sha256();
  void Update(const void* data, std::size_t size);
  // The digest of everything given so far; the object then starts afresh.
  Digest Final();

 private:
  void Compress(const std::uint8_t* block);

  std::uint32_t state_[8];
  std::uint8_t buffer_[64];
  std::size_t buffered_;
  std::uint64_t length_;
};

// Lower-case hex, two digits a byte.
std::string ToHex(const Sha256::Digest& digest);

}  // namespace lnf
