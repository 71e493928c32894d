#include "forms/frm_UserForm.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/u_Ansi.h"

namespace vv {

TfrmUserForm::TfrmUserForm(TDispatchRef External, QWidget* Parent)
    : QDialog(Parent), webUserForm(new TMXWebBrowser(this)), External(std::move(External)) {
  setObjectName("frmUserForm");
  setWindowTitle("frmUserForm");
  setGeometry(272, 221, 696, 480);
  auto* Layout = new QVBoxLayout(this);
  Layout->setContentsMargins(0, 0, 0, 0);
  Layout->addWidget(webUserForm);
  webUserForm->setObjectName("webUserForm");
  webUserForm->SetDownloadOptions({TDownloadControlOption::DLCTL_DLIMAGES, TDownloadControlOption::DLCTL_VIDEOS,
                                   TDownloadControlOption::DLCTL_BGSOUNDS});
  webUserForm->OnCloseQuery = [this](TMXWebBrowser* Sender, bool& CanClose) { webUserFormCloseQuery(Sender, CanClose); };
  webUserForm->OnGetExternal = [this](TDispatchRef& Dispatch) { return webUserForm2GetExternal(Dispatch); };
  ApplyWindowFlags();
}

void TfrmUserForm::webUserFormCloseQuery(TMXWebBrowser*, bool& CanClose) {
  CanClose = true;
  // After the page's close request has returned: the window goes with its browser.
  QMetaObject::invokeMethod(this, [this] { reject(); }, Qt::QueuedConnection);
}

HRESULT TfrmUserForm::webUserForm2GetExternal(TDispatchRef& Dispatch) {
  Dispatch = External;
  return Dispatch ? VV_S_OK : VV_E_UNEXPECTED;
}

void TfrmUserForm::ApplyWindowFlags() {
  Qt::WindowFlags Flags = Qt::Dialog;
  if (FBorderStyle == TFormBorderStyle::bsNone) {
    Flags |= Qt::FramelessWindowHint;
  } else {
    Flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (FBorderIcons & biSystemMenu)
      Flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (FBorderIcons & biMinimize)
      Flags |= Qt::WindowMinimizeButtonHint;
    if (FBorderIcons & biMaximize)
      Flags |= Qt::WindowMaximizeButtonHint;
  }
  const QRect Bounds = geometry();
  setWindowFlags(Flags);
  setGeometry(Bounds);
  if (FBorderStyle == TFormBorderStyle::bsSizeable) {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  } else {
    setFixedSize(Bounds.size());
  }
}

void TfrmUserForm::SetBorderStyle(TFormBorderStyle Value) {
  FBorderStyle = Value;
  ApplyWindowFlags();
}

void TfrmUserForm::SetBorderIcons(std::uint32_t Icons) {
  FBorderIcons = Icons;
  ApplyWindowFlags();
}

void TfrmUserForm::SetLeft(int Value) { move(Value, y()); }
void TfrmUserForm::SetTop(int Value) { move(x(), Value); }

void TfrmUserForm::SetWidth(int Value) {
  if (FBorderStyle != TFormBorderStyle::bsSizeable)
    setFixedWidth(Value);
  resize(Value, height());
}

void TfrmUserForm::SetHeight(int Value) {
  if (FBorderStyle != TFormBorderStyle::bsSizeable)
    setFixedHeight(Value);
  resize(width(), Value);
}

void ApplyToForm(const TUserForm& Definition, TfrmUserForm& Form) {
  if (Definition.Width >= 0)
    Form.SetWidth(Definition.Width);
  if (Definition.Height >= 0)
    Form.SetHeight(Definition.Height);
  if (Definition.Left >= 0)
    Form.SetLeft(Definition.Left);
  if (Definition.Top >= 0)
    Form.SetTop(Definition.Top);
  Form.SetBorderIcons(Definition.BorderIcons);
  Form.SetBorderStyle(Definition.BorderStyle);
  Form.setWindowTitle(AnsiToQString(Definition.Caption));
  if (Definition.HideScrollBar) {
    auto Options = Form.webUserForm->UserInterfaceOptions();
    Options.insert(TUserInterfaceOption::SCROLL_NO);
    Form.webUserForm->SetUserInterfaceOptions(Options);
  }
  if (Definition.Center)
    if (const QScreen* Screen = Form.screen() ? Form.screen() : QGuiApplication::primaryScreen()) {
      QRect Frame = Form.frameGeometry();
      Frame.moveCenter(Screen->availableGeometry().center());
      Form.move(Frame.topLeft());
    }
  if (!Definition.Path.empty())
    Form.webUserForm->Navigate("mfs:" + Definition.Path);
}

} // namespace vv
