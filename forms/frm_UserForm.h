#pragma once
// The window of a user form: one browser showing a page of the book.

#include <QDialog>

#include "forms/u_UserForms.h"
#include "host/c_MXWebBrowser.h"
#include "host/u_Dispatch.h"

namespace vv {

class TfrmUserForm : public QDialog {
  Q_OBJECT
public:
  // External: the object the form's pages see as window.external (the main
  // window's host object).
  explicit TfrmUserForm(TDispatchRef External, QWidget* Parent = nullptr);

  // Geometry setters that also hold for a window with a fixed border.
  void SetLeft(int Value);
  void SetTop(int Value);
  void SetWidth(int Value);
  void SetHeight(int Value);
  void SetBorderStyle(TFormBorderStyle Value);
  [[nodiscard]] TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderIcons(std::uint32_t Icons);

  TMXWebBrowser* const webUserForm;

private:
  void webUserFormCloseQuery(TMXWebBrowser* Sender, bool& CanClose);
  HRESULT webUserForm2GetExternal(TDispatchRef& Dispatch);
  void ApplyWindowFlags();

  TDispatchRef External;
  TFormBorderStyle FBorderStyle = TFormBorderStyle::bsSizeable;
  std::uint32_t FBorderIcons = biSystemMenu | biMinimize | biMaximize;
};

// Sets up a form window from its definition, then shows its page.
void ApplyToForm(const TUserForm& Definition, TfrmUserForm& Form);

} // namespace vv
