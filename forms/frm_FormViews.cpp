#include "forms/frm_FormViews.h"

#include <QMessageBox>

#include "forms/frm_Print.h"
#include "forms/frm_Search.h"
#include "forms/frm_Splash.h"
#include "platform/u_Ansi.h"

namespace vv {

TQtFormViews::TQtFormViews(QWidget* Owner) : Owner(Owner) {}

std::unique_ptr<ISearchView> TQtFormViews::CreateSearchView() { return std::make_unique<TfrmSearch>(Owner); }

std::unique_ptr<ISplashView> TQtFormViews::CreateSplashView() { return std::make_unique<TQtSplashView>(); }

std::unique_ptr<IPrintView> TQtFormViews::CreatePrintView() { return std::make_unique<TfrmPrint>(); }

void TQtFormViews::ShowInformation(const std::string& Caption, const std::string& Text) {
  QMessageBox Box(QMessageBox::Information, AnsiToQString(Caption), AnsiToQString(Text), QMessageBox::Ok, Owner);
  Box.setObjectName("PopUpBox");
  Box.exec();
}

} // namespace vv
