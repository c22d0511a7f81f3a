#include "base/endpoints.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace lumiqo;

TEST(Endpoints, DefaultsPointAtTheLocalServer) {
  ::unsetenv("LUMIQO_SERVER");
  ::unsetenv("LUMIQO_AUTH_HOST");
  const Endpoint e = endpoint(Role::Auth);
  EXPECT_EQ(e.host, QStringLiteral("127.0.0.1"));
  EXPECT_EQ(e.port, 8764);
  EXPECT_EQ(e.httpBase(), QStringLiteral("http://127.0.0.1:8764"));
}

TEST(Endpoints, RoleVariableWinsOverServerVariable) {
  ::setenv("LUMIQO_SERVER", "catalogue.test:9000", 1);
  ::setenv("LUMIQO_AUTH_HOST", "auth.example", 1);
  EXPECT_EQ(endpoint(Role::Auth).authority(), QStringLiteral("auth.example"));
  EXPECT_EQ(endpoint(Role::Auth).port, 80);
  EXPECT_EQ(endpoint(Role::Catalogue).authority(), QStringLiteral("catalogue.test:9000"));
  ::unsetenv("LUMIQO_SERVER");
  ::unsetenv("LUMIQO_AUTH_HOST");
}

TEST(Endpoints, MalformedValuesAreIgnored) {
  Endpoint e;
  EXPECT_FALSE(parseEndpoint(QStringLiteral("host:notaport"), e));
  EXPECT_FALSE(parseEndpoint(QStringLiteral("host:70000"), e));
  EXPECT_FALSE(parseEndpoint(QStringLiteral(""), e));
  ::setenv("LUMIQO_LYRICS_HOST", "host:", 1);
  EXPECT_EQ(endpoint(Role::Lyrics).port, kDefaultServerPort);
  ::unsetenv("LUMIQO_LYRICS_HOST");
}
