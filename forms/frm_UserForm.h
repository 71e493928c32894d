#pragma once
// The window of a user form: one browser showing a page of the book.

#include <QDialog>
#include <functional>

#include "forms/i_UserFormView.h"
#include "host/c_MXWebBrowser.h"
#include "host/u_Dispatch.h"

namespace vv {

class TfrmUserForm : public QDialog, public IUserFormView {
  Q_OBJECT
public:
  // External: the object the form's pages see as window.external (the main
  // window's host object).
  explicit TfrmUserForm(TDispatchRef External, QWidget* Parent = nullptr);

  // ---- IUserFormView ----
  [[nodiscard]] IBrowser& Browser() override { return *webUserForm; }
  [[nodiscard]] TRect Bounds() const override { return {x(), y(), width(), height()}; }
  void SetLeft(int Value) override;
  void SetTop(int Value) override;
  void SetWidth(int Value) override;
  void SetHeight(int Value) override;
  void CenterOnScreen() override;
  void SetBorderIcons(std::uint32_t Icons) override;
  void SetBorderStyle(TFormBorderStyle Value) override;
  [[nodiscard]] std::u16string Caption() const override { return windowTitle().toStdU16String(); }
  void SetCaption(const std::u16string& Value) override { setWindowTitle(QString::fromStdU16String(Value)); }
  void HideScrollBars() override;
  void ShowModal(std::function<void()> Closed) override;
  // Ends the modal show with the cancel result.
  void Close() override { done(mrCancel); }
  [[nodiscard]] TLiveness Liveness() const override { return FLifetime.Token(); }

  [[nodiscard]] TFormBorderStyle BorderStyle() const { return FBorderStyle; }

  TMXWebBrowser* const webUserForm;

private:
  static constexpr int mrCancel = 2;
  void webUserFormCloseQuery(IBrowser* Sender, bool& CanClose);
  HRESULT webUserForm2GetExternal(TDispatchRef& Dispatch);
  void ApplyWindowFlags();

  TDispatchRef External;
  TFormBorderStyle FBorderStyle = TFormBorderStyle::bsSizeable;
  std::uint32_t FBorderIcons = biSystemMenu | biMinimize | biMaximize;
  std::function<void()> FClosed;
  TLifetime FLifetime;
};

// Where the host object's forms come from: windows owned by (modal to, and
// closing with) Owner.
class TQtUserFormViews : public IUserFormViews {
public:
  explicit TQtUserFormViews(QWidget* Owner) : FOwner(Owner) {}
  [[nodiscard]] IUserFormView& CreateUserFormView(TDispatchRef External) override;
  void CloseAll() override;

private:
  QWidget* FOwner;
};

} // namespace vv
