#pragma once
// The Qt views of the secondary windows, made for the main window's view.

#include <QPointer>
#include <QWidget>

#include "forms/i_FormViews.h"

namespace vv {

class TQtFormViews : public IFormViews {
public:
  // Owner: the main window's view, over which the search window and the
  // boxes open; may be none. Print and splash windows belong to the application.
  explicit TQtFormViews(QWidget* Owner);

  [[nodiscard]] std::unique_ptr<ISearchView> CreateSearchView() override;
  [[nodiscard]] std::unique_ptr<ISplashView> CreateSplashView() override;
  [[nodiscard]] std::unique_ptr<IPrintView> CreatePrintView() override;
  void ShowInformation(const std::string& Caption, const std::string& Text) override;

private:
  QPointer<QWidget> Owner;
};

} // namespace vv
