#include "forms/frm_UserForm.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>
#include <utility>

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
  webUserForm->OnCloseQuery = [this](IBrowser* Sender, bool& CanClose) { webUserFormCloseQuery(Sender, CanClose); };
  webUserForm->OnGetExternal = [this](TDispatchRef& Dispatch) { return webUserForm2GetExternal(Dispatch); };
  ApplyWindowFlags();
  // However it closes, the caller hears of it once, and the window goes after.
  connect(this, &QDialog::finished, this, [this](int) {
    if (auto Closed = std::exchange(FClosed, nullptr))
      Closed();
    deleteLater();
  });
}

void TfrmUserForm::ShowModal(std::function<void()> Closed) {
  FClosed = std::move(Closed);
  // Modal to the whole viewer without a nested loop: open() would make it
  // modal to its parent only.
  setWindowModality(Qt::ApplicationModal);
  show();
}

void TfrmUserForm::HideScrollBars() {
  auto Options = webUserForm->UserInterfaceOptions();
  Options.insert(TUserInterfaceOption::SCROLL_NO);
  webUserForm->SetUserInterfaceOptions(Options);
}

void TfrmUserForm::CenterOnScreen() {
  if (const QScreen* Screen = screen() ? screen() : QGuiApplication::primaryScreen()) {
    QRect Frame = frameGeometry();
    Frame.moveCenter(Screen->availableGeometry().center());
    move(Frame.topLeft());
  }
}

void TfrmUserForm::webUserFormCloseQuery(IBrowser*, bool& CanClose) {
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

IUserFormView& TQtUserFormViews::CreateUserFormView(TDispatchRef External) {
  return *new TfrmUserForm(std::move(External), FOwner);
}

void TQtUserFormViews::CloseAll() {
  for (TfrmUserForm* Form : FOwner->findChildren<TfrmUserForm*>(Qt::FindDirectChildrenOnly)) {
    Form->done(QDialog::Rejected);
    delete Form;
  }
}

} // namespace vv
