#pragma once
// The application's standard message boxes.

#include <string_view>

class QWidget;

namespace vv {

// A modal box with the error icon, an OK button, the application's title and Message.
void ShowErrorBox(QWidget* Parent, std::string_view Message);
// The same with the information icon, for plain messages to the reader.
void ShowMessage(QWidget* Parent, std::string_view Message);

} // namespace vv
