#pragma once
// The settings vellumpack gives a book that lacks them, and that "vellumpack
// new" writes for the author to edit: a window of 1100 x 800 that the reader
// may resize, a toolbar with every command and our own pictures, the title
// and author as variables, and an About form.

#include <string>
#include <string_view>

namespace vv {

// Folder of the toolbar pictures, beside the toolbar file in system/.
inline constexpr const char* ToolbarPictureFolder = "Toolbar";
// The page of the About form, in files/.
inline constexpr const char* AboutPageName = "About.html";

[[nodiscard]] std::string DefaultSystemXml();
// The About page is the one favourite, an example to follow.
[[nodiscard]] std::string DefaultToolbarXml();
[[nodiscard]] std::string DefaultVariablesXml(std::string_view Title, std::string_view Author);
// A form's caption expands no variables, so the title is written into it.
[[nodiscard]] std::string DefaultFormsXml(std::string_view Title);
// Self-contained (no style sheet of the book), since a plain folder gets it too.
[[nodiscard]] std::string DefaultAboutPage();

// Value quoted for a settings file: a double quote inside is written twice.
[[nodiscard]] std::string QuotedSetting(std::string_view Value);

} // namespace vv
