#include "shell/u_ErrorBox.h"

#include <QApplication>
#include <QMessageBox>

#include "platform/u_Ansi.h"

namespace vv {

void ShowErrorBox(QWidget* Parent, std::string_view Message) {
  QMessageBox Box(QMessageBox::Critical, QApplication::applicationName(), AnsiToQString(Message), QMessageBox::Ok,
                  Parent);
  Box.setObjectName("ErrorBox");
  Box.exec();
}

} // namespace vv
