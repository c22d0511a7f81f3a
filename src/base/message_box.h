#pragma once
// Every message box of the program goes through here, so tests can answer them without
// a modal loop. The caption is the application title unless the caller names another.

#include <QString>
#include <functional>

class QWidget;

namespace lumiqo {

enum class MessageIcon { None, Critical, Information, Warning };

struct MessageRequest {
  QString text;
  MessageIcon icon = MessageIcon::None;
  QString title; // empty: the application title
};

// Shows a modal message box with an OK button (or hands it to the installed handler).
void showMessage(QWidget *parent, const QString &text, MessageIcon icon = MessageIcon::None,
                 const QString &title = {});

// Tests install a handler; it receives every request instead of a modal box.
// An empty function restores the real boxes.
using MessageHandler = std::function<void(const MessageRequest &)>;
void setMessageHandler(MessageHandler handler);

inline const QString kAppTitle = QStringLiteral("Lumiqo");

} // namespace lumiqo
