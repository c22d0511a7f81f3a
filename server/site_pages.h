#pragma once
// The maker's small web pages, as HTML in UTF-8 (the service sends them as GBK).

#include <QString>

namespace lumiqo::server {

enum class SitePage { Home, QqGroup, AboutUs, Forum };

QString sitePage(SitePage page);

// Escapes &, <, > and " for HTML text.
QString htmlEscape(const QString &text);

} // namespace lumiqo::server
