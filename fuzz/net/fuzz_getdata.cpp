// GetData and PeekData over any buffered bytes: the input is a type-code selector, a maxLen
// selector and the buffer. Reads are repeated until the buffer is used up, as an owner
// reading a reply piece by piece would.
#include "net/socket_value.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

namespace {

constexpr int kTypes[] = {0, 2, 3, 4, 5, 6, 7, 8, 11, 17, 8209, 9, 8192, -1};

void check(bool condition) {
  if (!condition)
    __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
  if (size < 2)
    return 0;
  using namespace lumiqo;
  const std::uint8_t typeSelector = data[0];
  const std::uint8_t lenSelector = data[1];
  QByteArray buffer(reinterpret_cast<const char *>(data + 2), static_cast<qsizetype>(size - 2));

  for (int round = 0; round < 64 && !buffer.isEmpty(); ++round) {
    const int type = kTypes[(typeSelector + round) % std::size(kTypes)];
    std::optional<qint64> maxLen;
    if (lenSelector & 0x80)
      maxLen = (lenSelector & 0x7F) + round % 3;

    // Peeking takes nothing and gives what the read that follows gives.
    const BufferRead peek = ReadFromBuffer(buffer, type, maxLen);
    const BufferRead get = ReadFromBuffer(buffer, type, maxLen);
    check(peek.plan.action == get.plan.action && peek.plan.count == get.plan.count);
    check(get.plan.count >= 0 && get.plan.count <= buffer.size());

    switch (get.plan.action) {
    case ReadPlan::Action::Unsupported:
    case ReadPlan::Action::Unchanged:
      check(get.plan.count == 0);
      check(type != vt::String && type != vt::ByteArray);
      return 0; // the owner would stop here
    case ReadPlan::Action::StoreEmpty: check(get.plan.count == 0); return 0;
    case ReadPlan::Action::Take: break;
    }
    check(get.plan.count > 0);
    check(VarType(get.value) == type);
    const QByteArray taken = buffer.first(get.plan.count);
    if (type == vt::ByteArray)
      check(std::get<QByteArray>(get.value) == taken);
    if (type == vt::Integer || type == vt::Long || type == vt::Currency || type == vt::Byte)
      check(*ValueToBytes(get.value) == taken);
    if (const int fixed = FixedSize(type))
      check(get.plan.count == fixed);
    else if (maxLen)
      check(get.plan.count == std::min<qint64>(*maxLen, buffer.size()));
    else
      check(get.plan.count == buffer.size());
    buffer.remove(0, get.plan.count);
  }
  return 0;
}
