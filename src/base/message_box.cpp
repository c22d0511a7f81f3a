#include "base/message_box.h"

#include <QMessageBox>

namespace lumiqo {
namespace {
MessageHandler &handler() {
  static MessageHandler h;
  return h;
}
} // namespace

void setMessageHandler(MessageHandler h) { handler() = std::move(h); }

void showMessage(QWidget *parent, const QString &text, MessageIcon icon) {
  if (handler()) {
    handler()(MessageRequest{text, icon});
    return;
  }
  QMessageBox::Icon qicon = QMessageBox::NoIcon;
  switch (icon) {
  case MessageIcon::None: break;
  case MessageIcon::Critical: qicon = QMessageBox::Critical; break;
  case MessageIcon::Information: qicon = QMessageBox::Information; break;
  case MessageIcon::Warning: qicon = QMessageBox::Warning; break;
  }
  QMessageBox box(qicon, kAppTitle, text, QMessageBox::Ok, parent);
  box.exec();
}

} // namespace lumiqo
