#pragma once
// The authorisation pair the stream hosts check: `tflag`, the issue time in ten decimal
// digits, and `pin`, 32 lower-case hex digits of HMAC-SHA256(secret, tflag).

#include <cstdint>
#include <string>

namespace lumiqo::server {

class StreamToken {
public:
  // An empty secret draws a random one.
  StreamToken(std::string secret, std::int64_t lifetimeSeconds);

  std::string pinFor(const std::string &tflag) const;
  // The tflag for a Unix time (ten digits, zero-padded).
  static std::string tflagFor(std::int64_t unixSeconds);

  // True when pin belongs to tflag and tflag was issued no longer than the lifetime
  // before now (and not in the future, beyond a minute of clock skew).
  bool valid(const std::string &tflag, const std::string &pin, std::int64_t nowSeconds) const;

  std::int64_t lifetime() const { return lifetime_; }

private:
  std::string secret_;
  std::int64_t lifetime_;
};

} // namespace lumiqo::server
