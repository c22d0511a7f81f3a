#pragma once
#include <QString>

namespace lumiqo {

// The first IPv4 address of a host in dotted decimal form, or the empty text when the
// lookup finds none. Blocks until the lookup is done.
QString ResolveHost(const QString &host);

} // namespace lumiqo
