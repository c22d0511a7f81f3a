#include "stream_token.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QMessageAuthenticationCode>

#include <cstdio>
#include <random>

namespace lumiqo::server {

StreamToken::StreamToken(std::string secret, std::int64_t lifetimeSeconds)
    : secret_(std::move(secret)), lifetime_(lifetimeSeconds) {
  if (secret_.empty()) {
    std::random_device random;
    for (int i = 0; i < 32; ++i)
      secret_ += static_cast<char>(random() & 0xFF);
  }
}

std::string StreamToken::pinFor(const std::string &tflag) const {
  const QByteArray mac = QMessageAuthenticationCode::hash(
      QByteArray::fromStdString(tflag), QByteArray::fromStdString(secret_), QCryptographicHash::Sha256);
  return mac.toHex().left(32).toStdString();
}

std::string StreamToken::tflagFor(std::int64_t unixSeconds) {
  char buf[24];
  std::snprintf(buf, sizeof buf, "%010lld", static_cast<long long>(unixSeconds));
  return buf;
}

bool StreamToken::valid(const std::string &tflag, const std::string &pin, std::int64_t nowSeconds) const {
  if (tflag.size() != 10 || pin.size() != 32)
    return false;
  std::int64_t issued = 0;
  for (char c : tflag) {
    if (c < '0' || c > '9')
      return false;
    issued = issued * 10 + (c - '0');
  }
  if (issued > nowSeconds + 60 || nowSeconds - issued > lifetime_)
    return false;
  // Compared without an early exit, so the time taken tells nothing about the pin.
  const std::string expected = pinFor(tflag);
  unsigned diff = 0;
  for (std::size_t i = 0; i < expected.size(); ++i)
    diff |= static_cast<unsigned char>(expected[i]) ^ static_cast<unsigned char>(pin[i]);
  return diff == 0;
}

} // namespace lumiqo::server
