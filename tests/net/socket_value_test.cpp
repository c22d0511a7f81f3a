// The byte forms of socket values and the decoding of a receive buffer.
#include "net/socket_value.h"

#include <gtest/gtest.h>

namespace lumiqo {
namespace {

TEST(SocketValue, ByteFormsAreLittleEndianAndTextIsGbk) {
  EXPECT_EQ(*ValueToBytes(qint16(0x0102)), QByteArray("\x02\x01", 2));
  EXPECT_EQ(*ValueToBytes(qint32(-2)), QByteArray("\xfe\xff\xff\xff", 4));
  EXPECT_EQ(*ValueToBytes(true), QByteArray("\xff\xff", 2));
  EXPECT_EQ(*ValueToBytes(false), QByteArray("\x00\x00", 2));
  EXPECT_EQ(*ValueToBytes(Currency{10000}), QByteArray("\x10\x27\0\0\0\0\0\0", 8));
  EXPECT_EQ(*ValueToBytes(QStringLiteral("播放")), QByteArray("\xb2\xa5\xb7\xc5"));
  EXPECT_FALSE(ValueToBytes(SocketValue{}));
}

TEST(SocketValue, EveryFixedTypeRoundTrips) {
  const SocketValue values[] = {qint16(-3),    qint32(123456789), 1.5f, -2.25,
                                Currency{-77}, Date{45000.5},     true, quint8(200)};
  for (const SocketValue &v : values) {
    const QByteArray bytes = *ValueToBytes(v);
    ASSERT_EQ(bytes.size(), FixedSize(VarType(v)));
    const BufferRead read = ReadFromBuffer(bytes + "tail", VarType(v), std::nullopt);
    EXPECT_EQ(read.plan.action, ReadPlan::Action::Take);
    EXPECT_EQ(read.plan.count, bytes.size());
    EXPECT_EQ(read.value, v) << VarType(v);
  }
}

TEST(SocketValue, ReadTypeFollowsTheVariableThenTheCodeThenByteArray) {
  EXPECT_EQ(ReadType(QString(), vt::Long), vt::String);
  EXPECT_EQ(ReadType(SocketValue{}, vt::Long), vt::Long);
  EXPECT_EQ(ReadType(SocketValue{}, std::nullopt), vt::ByteArray);
}

TEST(SocketValue, TextAndByteArrayReadsHonourMaxLen) {
  const QByteArray buffer("hello");
  EXPECT_EQ(ReadFromBuffer(buffer, vt::String, std::nullopt).value, SocketValue(QStringLiteral("hello")));
  const BufferRead three = ReadFromBuffer(buffer, vt::ByteArray, 3);
  EXPECT_EQ(three.plan.count, 3);
  EXPECT_EQ(three.value, SocketValue(QByteArray("hel")));
  EXPECT_EQ(ReadFromBuffer(buffer, vt::String, 99).plan.count, 5);

  const BufferRead zero = ReadFromBuffer(buffer, vt::String, 0);
  EXPECT_EQ(zero.plan.action, ReadPlan::Action::StoreEmpty);
  EXPECT_TRUE(zero.plan.emptyRequest);
  EXPECT_EQ(zero.value, SocketValue(QString()));
  const BufferRead nothing = ReadFromBuffer({}, vt::ByteArray, std::nullopt);
  EXPECT_EQ(nothing.plan.action, ReadPlan::Action::StoreEmpty);
  EXPECT_FALSE(nothing.plan.emptyRequest);
}

TEST(SocketValue, ShortBuffersAndUnknownTypes) {
  EXPECT_EQ(ReadFromBuffer("abc", vt::Long, std::nullopt).plan.action, ReadPlan::Action::Unchanged);
  EXPECT_EQ(ReadFromBuffer("abcdefg", vt::Double, 1).plan.action, ReadPlan::Action::Unchanged);
  EXPECT_EQ(ReadFromBuffer("abc", 9, std::nullopt).plan.action, ReadPlan::Action::Unsupported);
  EXPECT_EQ(ReadFromBuffer("abc", vt::Empty, std::nullopt).plan.action, ReadPlan::Action::Unsupported);
  // Any non-zero 16-bit value reads as true.
  EXPECT_EQ(ReadFromBuffer(QByteArray("\x01\x00", 2), vt::Boolean, std::nullopt).value, SocketValue(true));
}

TEST(SocketValue, NumbersInTexts) {
  EXPECT_EQ(NumericValue(QStringLiteral(" 80 ")), 80.0);
  EXPECT_FALSE(NumericValue(QStringLiteral("http")));
  EXPECT_EQ(NumericValue(true), -1.0);
  EXPECT_FALSE(NumericValue(QByteArray("1")));
}

} // namespace
} // namespace lumiqo
