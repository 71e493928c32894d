#pragma once
// The print window: one marked section of a page in a browser of its own,
// with the Print and Preview buttons, reporting to the print logic
// (forms/u_Print); and the page queries the main window's print menu is
// built from, for the Qt browser control.

#include <QDialog>
#include <QIcon>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "forms/u_Print.h"
#include "host/c_MXWebBrowser.h"

class QAction;
class QMenu;
class QToolBar;
class QToolButton;

namespace vv {

class TfrmPrint : public QDialog, public IPrintView {
  Q_OBJECT
public:
  explicit TfrmPrint(QWidget* Parent = nullptr);

  void LoadHTML(const std::string& Html) override;
  void ExecWB(int CmdID, int CmdExecOpt) override;
  void ShowError(const std::string& Message) override;
  void ShowModal() override;

  // Print, preview: 16 x 16; before the buttons, which take their images from it.
  std::vector<QIcon> imglToolbar;
  QToolBar* const tbrPrint;
  QToolButton* const tbtnPrint;
  QToolButton* const tbtnPreview;
  TMXWebBrowser* const webPrint;
};

} // namespace vv
