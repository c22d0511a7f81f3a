#include "app/instance/link_execute.h"

#include "app/instance/handed_link.h"

#include <QRandomGenerator>
#include <algorithm>

namespace lumiqo {

double LinkExecuteHost::nextRandom() {
  return QRandomGenerator::global()->generateDouble();
}

QString madeUpTime(double minutesFraction, double secondsFraction) {
  const int minutes = std::clamp(static_cast<int>(minutesFraction * 10), 0, 9);
  const int seconds = std::clamp(static_cast<int>(secondsFraction * 60), 0, 59);
  return QStringLiteral("%1:%2").arg(minutes, 2, 10, QLatin1Char('0')).arg(seconds, 2, 10, QLatin1Char('0'));
}

void Form_LinkExecute(const QString &text, qint16 &Cancel, LinkExecuteHost &host) {
  const std::optional<HandedLink> link = parseHandedLink(text);
  if (!link)
    return; // not taken: Cancel stays as the caller set it

  const double r1 = host.nextRandom();
  const double r2 = host.nextRandom();
  host.AddItem(link->title, link->artist, link->link, madeUpTime(r1, r2));

  // The play mark steps through p + 1 and back before it lands on the new entry, so the
  // list repaints the rows it leaves.
  const int p = host.PlayIndex();
  host.setPlayIndex(p + 1);
  host.setPlayIndex(host.PlayIndex() - 1);
  host.setPlayIndex(host.ListCount() - 1);
  host.setListIndex(host.PlayIndex());

  host.listplay();
  host.delie6();
  host.showNormalAndFocus();
  Cancel = 0;
}

} // namespace lumiqo
