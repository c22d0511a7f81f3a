#pragma once
// Cuts a value out of a reply: the cookie values of the authorisation host's Set-Cookie lines.

#include <QString>
#include <QStringView>

namespace lumiqo {

// What TextBetween gives when there is nothing between the markers.
inline const QString kTextBetweenFailure = QStringLiteral("抱歉，没有找到您需要的信息！");

// The text after the first occurrence of `startMarker` and before the first occurrence of
// `endMarker` after it. Both searches ignore letter case; the result keeps the text's case.
// The failure text when the text or a marker is empty, when the text is the failure text,
// when the start marker is missing, or when no end marker follows it or it follows at once.
QString TextBetween(QStringView text, QStringView startMarker, QStringView endMarker);

} // namespace lumiqo
