#pragma once
// The values that travel through a socket object: what `SendData` accepts and what `GetData`
// and `PeekData` store, each with its type code and its byte form (little-endian numbers,
// text in GBK). The decoding of received bytes lives here, apart from any socket.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <variant>

namespace lumiqo {

// Currency: a 64-bit count of ten-thousandths.
struct Currency {
  qint64 value = 0;
  friend bool operator==(const Currency &, const Currency &) = default;
};

// Date: held as its 64-bit float form (days since 30 December 1899).
struct Date {
  double value = 0;
  friend bool operator==(const Date &, const Date &) = default;
};

// std::monostate is the empty value: a variable that holds nothing yet.
using SocketValue = std::variant<std::monostate, qint16, qint32, float, double, Currency, Date, QString, bool,
                                 quint8, QByteArray>;

// Type codes.
namespace vt {
inline constexpr int Empty = 0;
inline constexpr int Integer = 2;
inline constexpr int Long = 3;
inline constexpr int Single = 4;
inline constexpr int Double = 5;
inline constexpr int Currency = 6;
inline constexpr int Date = 7;
inline constexpr int String = 8;
inline constexpr int Boolean = 11;
inline constexpr int Byte = 17;
inline constexpr int ByteArray = 8209;
} // namespace vt

int VarType(const SocketValue &value);

// The byte form of a value; nothing for the empty value.
std::optional<QByteArray> ValueToBytes(const SocketValue &value);

// Bytes of a fixed-size type; 0 for text, byte array and codes that are no type.
int FixedSize(int type);

// The number a value stands for: numbers, booleans (true is -1) and texts that read as a
// number; nothing otherwise.
std::optional<double> NumericValue(const SocketValue &value);

// The type a read produces: the type of the value `data` holds already, else `varType`,
// else byte array.
int ReadType(const SocketValue &data, std::optional<int> varType);

// What a read does with `available` bytes.
struct ReadPlan {
  enum class Action {
    Unsupported, // the type cannot be read: error 40018
    Unchanged,   // too few bytes for a fixed-size type: `data` keeps its value
    StoreEmpty,  // `data` becomes an empty text or array, nothing is taken
    Take,        // take `count` bytes and decode them
  };
  Action action = Action::Unchanged;
  qsizetype count = 0;
  // maxLen was given as 0, or given while nothing was available (a datagram is then
  // discarded with error 10040).
  bool emptyRequest = false;
};

// `maxLen`: nothing when not given (or not a number); must not be negative.
ReadPlan PlanRead(int type, qsizetype available, std::optional<qint64> maxLen);

// The value `bytes` form as `type` (text decoded from GBK). For a fixed-size type extra
// bytes are ignored and missing ones read as zero.
SocketValue DecodeValue(int type, QByteArrayView bytes);

// A read from a receive buffer: the plan and, when it stores, the value.
struct BufferRead {
  ReadPlan plan;
  SocketValue value; // meaningful for StoreEmpty and Take
};
BufferRead ReadFromBuffer(QByteArrayView buffer, int type, std::optional<qint64> maxLen);

} // namespace lumiqo
