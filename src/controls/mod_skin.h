#pragma once
// modSkin: reading a skin description file (`config.ini` in a skin folder) and the placement
// texts it holds. The reader follows the rules of the classic private-profile reader:
// sections and keys match without regard to case, the first matching section and key win,
// values are trimmed and lose one pair of surrounding quotes, the file is in GBK, and a value
// comes back cut to 127 bytes.

#include <QString>
#include <optional>

class QWidget;

namespace lumiqo {

// Where a settings file named by `file` lies: an absolute path as it is; anything else under
// the program folder, with doubled separators collapsed.
QString skinSettingsPath(const QString &file);

// The value of `key` in `section` of the settings file, or `defaultValue` when the file, the
// section or the key is missing.
QString ReadIniString(const QString &section, const QString &key, const QString &defaultValue,
                      const QString &file);

// The leading decimal number of a text (blanks, a sign, digits, a fraction); 0 without one.
double numberValue(const QString &text);

// A placement text: up to four numbers separated by ",": left, top, width, height, in twips.
// An element that is missing gives no value; an element that is there gives its number value.
struct Placement {
  std::optional<double> left, top, width, height;
};
Placement parsePlacement(const QString &text);

// Applies a placement to a control, each value on its own: a value that is missing or out of
// bounds (placementPixels) leaves that one alone.
void applyPlacement(QWidget &control, const Placement &placement);

// A position or size in twips as pixels, or nothing when it lies beyond 32767 pixels either
// way or is a negative size: such a value is refused, not applied.
std::optional<int> placementPixels(double twips, bool isSize);

} // namespace lumiqo
