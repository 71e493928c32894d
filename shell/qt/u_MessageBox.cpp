#include "shell/qt/u_MessageBox.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/u_Ansi.h"

namespace vv {

namespace {
void ShowBox(QWidget* Parent, QMessageBox::Icon Icon, std::string_view Message) {
  QMessageBox Box(Icon, QApplication::applicationName(), AnsiToQString(Message), QMessageBox::Ok, Parent);
  Box.exec();
}
} // namespace

void ShowErrorBox(QWidget* Parent, std::string_view Message) { ShowBox(Parent, QMessageBox::Critical, Message); }

void ShowMessage(QWidget* Parent, std::string_view Message) { ShowBox(Parent, QMessageBox::Information, Message); }

} // namespace vv
