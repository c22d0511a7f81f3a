#include "base/message_box.h"

#include <QMessageBox>

namespace lumiqo {
namespace {
MessageHandler &handler() {
  static MessageHandler h;
  return h;
}
} // namespace

void setMessageHandler(MessageHandler h) {
  handler() = std::move(h);
}

void showMessage(QWidget *parent, const QString &text, MessageIcon icon, const QString &title) {
  if (handler()) {
    handler()(MessageRequest{text, icon, title});
    return;
  }
  QMessageBox::Icon qicon = QMessageBox::NoIcon;
  switch (icon) {
  case MessageIcon::None: break;
  case MessageIcon::Critical: qicon = QMessageBox::Critical; break;
  case MessageIcon::Information: qicon = QMessageBox::Information; break;
  case MessageIcon::Warning: qicon = QMessageBox::Warning; break;
  }
  QMessageBox box(qicon, title.isEmpty() ? kAppTitle : title, text, QMessageBox::Ok, parent);
  box.exec();
}

} // namespace lumiqo
