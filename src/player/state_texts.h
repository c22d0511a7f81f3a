#pragma once
// The fixed texts of the state label `play_zt`. They are also the signal the advance check
// and the lyrics clock read, so they never change.

#include <QString>

namespace lumiqo {

inline const QString kStateConnecting = QStringLiteral("连接中...");
inline const QString kStateFailed = QStringLiteral("连接失败");
inline const QString kStateBuffering = QStringLiteral("缓冲中");
inline const QString kStateEnded = QStringLiteral("播放完毕");
inline const QString kStatePrefix = QStringLiteral("状态:");
// "欢迎使用", a carriage return, "Lumiqo".
inline const QString kStateWelcome = QStringLiteral("欢迎使用\rLumiqo");

// 1 → "播放", 3 → "暂停"; other values give the empty text.
QString StateName(int active);

} // namespace lumiqo
