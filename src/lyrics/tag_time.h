#pragma once
// Time tags of LRC lyrics ("[mm:ss.xx]") read into hundredths of a second.

#include <QStringView>
#include <cstdint>

namespace lumiqo {

// The number that a few characters begin with, spaces inside ignored: an optional sign,
// digits and a decimal point. 0 when they do not begin with a number.
double leadingNumber(QStringView chars);

// The content of a tag (what stands between "[" and the first "]") in hundredths of a
// second. The layout is read by position: the first two characters are minutes, the
// fourth and fifth seconds and the last two hundredths, after ":", ".", "：", "．" and "。"
// have become spaces and the ends are trimmed. Letters read as 0; it never fails.
std::int32_t TagTime(QStringView tag);

} // namespace lumiqo
