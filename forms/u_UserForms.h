#pragma once
// The book's user-form definitions, read from its forms file.

#include <cstdint>
#include <string>
#include <string_view>

#include "storage/u_MFS.h"
#include "text/u_ObjectDictionary.h"
#include "text/u_SpaceXMLParser.h"

namespace vv {

class EUserFormsError : public Exception {
  using Exception::Exception;
};

enum class TFormBorderStyle { bsNone, bsSingle, bsSizeable };

// Border icons as a bit set.
enum : std::uint32_t { biSystemMenu = 1, biMinimize = 2, biMaximize = 4 };

class TUserForm {
public:
  // Reads the definition's attributes; Path is already absolute.
  TUserForm(const TXMLNode& Node, std::string Path);

  std::string Path;
  bool HideScrollBar;
  std::int32_t Width, Height, Top, Left; // -1: keep the window's own
  TFormBorderStyle BorderStyle;
  std::uint32_t BorderIcons;
  std::string Caption;
  bool Center;
};

class IUserFormView;

// Sets up a form's window from its definition, then shows its page.
void ApplyToForm(const TUserForm& Definition, IUserFormView& Form);

class TUserForms {
public:
  // FormsFolder: a session whose current folder is the forms file's folder,
  // or nullptr (with empty Text) for no forms.
  TUserForms(TMFSSession* FormsFolder, std::string_view Text);

  [[nodiscard]] TUserForm* FindByName(std::string_view Name) const { return Forms.Find(Name); }
  [[nodiscard]] int Count() const { return Forms.Count(); }

private:
  TObjectDictionary<TUserForm> Forms{true, true, true};
};

} // namespace vv
