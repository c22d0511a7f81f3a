#pragma once
// A QString as std::string, so that GoogleTest's messages show the text.

#include <QString>

#include <string>

namespace lumiqo::test {

inline std::string s(const QString &text) {
  return text.toStdString();
}

} // namespace lumiqo::test
