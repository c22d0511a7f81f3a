#pragma once
// An environment variable set (or, for a null value, unset) for a scope, and put back as it
// was however the scope ends.

#include <QByteArray>
#include <QtGlobal>

namespace lumiqo::test {

class ScopedEnv {
public:
  ScopedEnv(const char *name, const QByteArray &value) : name_(name), saved_(qgetenv(name)) {
    if (value.isNull())
      qunsetenv(name);
    else
      qputenv(name, value);
  }
  ~ScopedEnv() {
    if (saved_.isNull())
      qunsetenv(name_);
    else
      qputenv(name_, saved_);
  }
  ScopedEnv(const ScopedEnv &) = delete;
  ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
  const char *name_;
  QByteArray saved_;
};

} // namespace lumiqo::test
