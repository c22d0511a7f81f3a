// The texts of the link resolution: the cookie cut, the request, the escaping of the link,
// the lyrics shaping and the choice of stream host.
#include "catalogue/link_resolution.h"
#include "catalogue/text_between.h"

#include "support/std_text.h"

#include <gtest/gtest.h>

using namespace lumiqo;
using lumiqo::test::s;

TEST(TextBetween, CutsTheValueIgnoringLetterCaseAndKeepingItsOwn) {
  const QString reply = QStringLiteral("HTTP/1.1 200 OK\r\nset-cookie: PIN=AbCd; Domain=x\r\n"
                                       "Set-Cookie: pin=later; domain=y\r\n\r\n");
  EXPECT_EQ(s(TextBetween(reply, u"Set-Cookie: pin=", u"; domain=")), "AbCd");
  EXPECT_EQ(s(TextBetween(u"a<b>c</b><b>d</b>", u"<B>", u"</B>")), "c");
}

TEST(TextBetween, GivesTheFailureTextWhenThereIsNothingBetween) {
  const QString failure = kTextBetweenFailure;
  EXPECT_EQ(TextBetween(u"", u"a", u"b"), failure);
  EXPECT_EQ(TextBetween(u"xaxbx", u"", u"b"), failure);
  EXPECT_EQ(TextBetween(u"xaxbx", u"a", u""), failure);
  EXPECT_EQ(TextBetween(failure, u"抱歉", u"信息"), failure);
  EXPECT_EQ(TextBetween(u"no start here; domain=", u"pin=", u"; domain="), failure);
  EXPECT_EQ(TextBetween(u"pin=value without end", u"pin=", u"; domain="), failure);
  EXPECT_EQ(TextBetween(u"pin=; domain=", u"pin=", u"; domain="), failure); // empty value
  // The end marker counts only after the start marker.
  EXPECT_EQ(TextBetween(u"; domain= pin=v", u"pin=", u"; domain="), failure);
  // Markers that overlap in the text: the end is looked for after the whole start marker.
  EXPECT_EQ(s(TextBetween(u"abab", u"ab", u"b")), "a");
}

TEST(AuthRequest, IsTenLinesAndAnEmptyOneByteForByte) {
  EXPECT_EQ(s(authRequest(QStringLiteral("auth.example:8080"))),
            "GET /getuuauthcode/ HTTP/1.1\r\n"
            "Referer: http://auth.example:8080/\r\n"
            "Host: auth.example:8080\r\n"
            "Accept: */*\r\n"
            "Accept-Language: zh-cn\r\n"
            "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1;)\r\n"
            "Cookie: uuauth=qv;\r\n"
            "Pragma: no-cache\r\n"
            "Cache-Control: no-cache\r\n"
            "Connection: close\r\n"
            "\r\n");
}

TEST(EscapeLinkForUrl, AWellFormedLinkTravelsUnchanged) {
  for (const char *link : {"21z/abc123.mp3", "song.asp?id=17&k=a-b_c.d~e", "x:y@z!$'()*+,;="})
    EXPECT_EQ(s(escapeLinkForUrl(QString::fromLatin1(link))), link);
}

TEST(EscapeLinkForUrl, WhatCannotStandInAUrlIsEncoded) {
  EXPECT_EQ(s(escapeLinkForUrl(QStringLiteral("a\r\nHost: evil\r\n\r\nGET / HTTP/1.1"))),
            "a%0D%0AHost:%20evil%0D%0A%0D%0AGET%20/%20HTTP/1.1");
  EXPECT_EQ(s(escapeLinkForUrl(QStringLiteral("a#b%20c\td\x7f"))), "a%23b%2520c%09d%7F");
  EXPECT_EQ(s(escapeLinkForUrl(QStringLiteral("中<\"|>"))), "%D6%D0%3C%22%7C%3E");
}

TEST(ShapeLyrics, PutsEveryTimedLineOnItsOwnLine) {
  // Two timed lines run together become two lines.
  EXPECT_EQ(s(shapeLyrics(QStringLiteral("[00:01.00]one[00:02.00]two"))), "[00:01.00]one\r\n[00:02.00]two");
  // Adjacent tags stay together.
  EXPECT_EQ(s(shapeLyrics(QStringLiteral("[00:01.00][00:09.00]both"))), "[00:01.00][00:09.00]both");
  // A "[" within the first eight characters never starts a line; the ninth may.
  EXPECT_EQ(s(shapeLyrics(QStringLiteral("ab[cdefgh"))), "ab[cdefgh");
  EXPECT_EQ(s(shapeLyrics(QStringLiteral("1234567[x"))), "1234567[x");
  EXPECT_EQ(s(shapeLyrics(QStringLiteral("12345678[x"))), "12345678\r\n[x");
  // "|#|" left in the lyrics becomes a line feed.
  EXPECT_EQ(s(shapeLyrics(QStringLiteral("[ti:title]|#|[00:01.00]a"))), "[ti:title]\n\r\n[00:01.00]a");
}

TEST(ShapeLyrics, List1TakesTheNonEmptyLines) {
  const QString shaped = shapeLyrics(QStringLiteral("[00:01.00]one\r\n\r\n[00:02.00]two[00:03.00]three"));
  EXPECT_EQ(lyricsLines(shaped), QStringList({"[00:01.00]one", "[00:02.00]two", "[00:03.00]three"}));
}

TEST(OnStreamHost, PathsOf19zAnd21zGoToHostW) {
  qputenv("LUMIQO_STREAM_HOST_W", "w.example");
  qputenv("LUMIQO_STREAM_HOST_O", "o.example:81");
  EXPECT_EQ(s(onStreamHost(QStringLiteral("21z/a.mp3?tflag=1"))), "http://w.example/21z/a.mp3?tflag=1");
  EXPECT_EQ(s(onStreamHost(QStringLiteral("x/19z/a.wma"))), "http://w.example/x/19z/a.wma");
  EXPECT_EQ(s(onStreamHost(QStringLiteral("20z/a.mp3"))), "http://o.example:81/20z/a.mp3");
  EXPECT_EQ(s(onStreamHost(QStringLiteral("21Z/a.mp3"))), "http://o.example:81/21Z/a.mp3");
  qunsetenv("LUMIQO_STREAM_HOST_W");
  qunsetenv("LUMIQO_STREAM_HOST_O");
}
