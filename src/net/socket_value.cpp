#include "net/socket_value.h"

#include "base/gbk.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>

namespace lumiqo {

namespace {

template <typename T> QByteArray rawBytes(T value) {
  static_assert(std::is_trivially_copyable_v<T>);
  QByteArray bytes(sizeof(T), Qt::Uninitialized);
  std::memcpy(bytes.data(), &value, sizeof(T));
  return bytes;
}

// Missing bytes read as zero.
template <typename T> T fromRaw(QByteArrayView bytes) {
  unsigned char raw[sizeof(T)] = {};
  std::memcpy(raw, bytes.data(), std::min<std::size_t>(sizeof(T), static_cast<std::size_t>(bytes.size())));
  T value;
  std::memcpy(&value, raw, sizeof(T));
  return value;
}

} // namespace

int VarType(const SocketValue &value) {
  constexpr int codes[] = {vt::Empty, vt::Integer, vt::Long,    vt::Single, vt::Double,   vt::Currency,
                           vt::Date,  vt::String,  vt::Boolean, vt::Byte,   vt::ByteArray};
  return codes[value.index()];
}

std::optional<QByteArray> ValueToBytes(const SocketValue &value) {
  return std::visit(
      [](const auto &v) -> std::optional<QByteArray> {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate>)
          return std::nullopt;
        else if constexpr (std::is_same_v<T, QString>)
          return toGbk(v);
        else if constexpr (std::is_same_v<T, QByteArray>)
          return v;
        else if constexpr (std::is_same_v<T, bool>)
          return rawBytes<qint16>(v ? -1 : 0);
        else if constexpr (std::is_same_v<T, Currency> || std::is_same_v<T, Date>)
          return rawBytes(v.value);
        else
          return rawBytes(v);
      },
      value);
}

int FixedSize(int type) {
  switch (type) {
  case vt::Integer:
  case vt::Boolean: return 2;
  case vt::Long:
  case vt::Single: return 4;
  case vt::Double:
  case vt::Currency:
  case vt::Date: return 8;
  case vt::Byte: return 1;
  default: return 0;
  }
}

std::optional<double> NumericValue(const SocketValue &value) {
  return std::visit(
      [](const auto &v) -> std::optional<double> {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate> || std::is_same_v<T, QByteArray>) {
          return std::nullopt;
        } else if constexpr (std::is_same_v<T, QString>) {
          bool ok = false;
          const double number = v.trimmed().toDouble(&ok);
          return ok ? std::optional<double>(number) : std::nullopt;
        } else if constexpr (std::is_same_v<T, bool>) {
          return v ? -1.0 : 0.0;
        } else if constexpr (std::is_same_v<T, Currency>) {
          return static_cast<double>(v.value) / 10000.0;
        } else if constexpr (std::is_same_v<T, Date>) {
          return v.value;
        } else {
          return static_cast<double>(v);
        }
      },
      value);
}

int ReadType(const SocketValue &data, std::optional<int> varType) {
  if (!std::holds_alternative<std::monostate>(data))
    return VarType(data);
  return varType.value_or(vt::ByteArray);
}

ReadPlan PlanRead(int type, qsizetype available, std::optional<qint64> maxLen) {
  ReadPlan plan;
  if (type == vt::String || type == vt::ByteArray) {
    if (!maxLen) {
      plan.action = available > 0 ? ReadPlan::Action::Take : ReadPlan::Action::StoreEmpty;
      plan.count = available;
    } else if (*maxLen == 0 || available == 0) {
      plan.action = ReadPlan::Action::StoreEmpty;
      plan.emptyRequest = true;
    } else {
      plan.action = ReadPlan::Action::Take;
      plan.count = static_cast<qsizetype>(std::min<qint64>(*maxLen, available));
    }
    return plan;
  }
  const int size = FixedSize(type);
  if (size == 0) {
    plan.action = ReadPlan::Action::Unsupported;
  } else if (available >= size) {
    plan.action = ReadPlan::Action::Take;
    plan.count = size;
  }
  return plan;
}

SocketValue DecodeValue(int type, QByteArrayView bytes) {
  switch (type) {
  case vt::String: return fromGbk(bytes);
  case vt::ByteArray: return bytes.toByteArray();
  case vt::Integer: return fromRaw<qint16>(bytes);
  case vt::Long: return fromRaw<qint32>(bytes);
  case vt::Single: return fromRaw<float>(bytes);
  case vt::Double: return fromRaw<double>(bytes);
  case vt::Currency: return Currency{fromRaw<qint64>(bytes)};
  case vt::Date: return Date{fromRaw<double>(bytes)};
  case vt::Boolean: return fromRaw<qint16>(bytes) != 0;
  case vt::Byte: return fromRaw<quint8>(bytes);
  default: return std::monostate{};
  }
}

BufferRead ReadFromBuffer(QByteArrayView buffer, int type, std::optional<qint64> maxLen) {
  BufferRead read;
  read.plan = PlanRead(type, buffer.size(), maxLen);
  if (read.plan.action == ReadPlan::Action::StoreEmpty)
    read.value = DecodeValue(type, {});
  else if (read.plan.action == ReadPlan::Action::Take)
    read.value = DecodeValue(type, buffer.first(read.plan.count));
  return read;
}

} // namespace lumiqo
