#pragma once
// The main window's handler of a handed-over link: from another instance through the
// hand-over channel, or the program's own command line at the end of start-up.

#include <QString>
#include <QtGlobal>

namespace lumiqo {

// What the handler needs from the main window `qorvex`: its play list `m_list`, `listplay`,
// the purge `delie6` and showing itself. The main window implements it by forwarding.
class LinkExecuteHost {
public:
  virtual ~LinkExecuteHost() = default;

  // The play list.
  virtual void AddItem(const QString &title, const QString &author, const QString &url,
                       const QString &time) = 0;
  virtual int PlayIndex() const = 0;
  virtual void setPlayIndex(int index) = 0;
  virtual void setListIndex(int index) = 0;
  virtual int ListCount() const = 0;

  // Starts the entry under the play mark.
  virtual void listplay() = 0;
  // Purges the URL cache.
  virtual void delie6() = 0;
  // Window state normal, shown, focused. The window's transparency is left as it is.
  virtual void showNormalAndFocus() = 0;

  // A value in [0, 1) for the made-up length of the new entry. The main window may hand out
  // the same sequence the catalogue lists use.
  virtual double nextRandom();
};

// "mm:ss" from two values in [0, 1): minutes 0 to 9, seconds 0 to 59.
QString madeUpTime(double minutesFraction, double secondsFraction);

// Appends the link's entry to the play list, plays it and sets `Cancel` to 0 (the command
// was taken). Texts that are not links (empty, too long, the wrong number of fields, bad
// hex) are ignored without a message and leave `Cancel` alone.
void Form_LinkExecute(const QString &text, qint16 &Cancel, LinkExecuteHost &host);

} // namespace lumiqo
