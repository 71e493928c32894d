#pragma once
// The application's standard error box.

#include <string_view>

class QWidget;

namespace vv {

// A modal box with the error icon, an OK button, the application's title and Message.
void ShowErrorBox(QWidget* Parent, std::string_view Message);

} // namespace vv
