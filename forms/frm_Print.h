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

// The print window over the application (see forms/u_Print). Must not be
// called from inside an engine callback or scheme request (it runs a nested
// event loop): the queries below deliver their answers queued for that reason.
void ShowPrintForm(const std::string& Html);

// The ids of the printable sections of Browser's document, in document
// order (top document only). The callback runs later, from the event loop.
void QueryPrintSections(TMXWebBrowser& Browser, std::function<void(std::vector<std::string> Ids)> Callback);

// The print window's document for the first section of Browser's document
// whose id equals Id ignoring case; nullopt when the page has no such
// section (any more). The callback runs later, from the event loop.
void QueryPrintSectionHtml(TMXWebBrowser& Browser, const std::string& Id,
                           std::function<void(std::optional<std::string> Html)> Callback);

// Replaces popPrint's items by one per id (caption and hint the id, in
// order); choosing one calls PrintPageClick with its action, whose toolTip()
// is the id.
void FillPrintMenu(QMenu& popPrint, const std::vector<std::string>& Ids,
                   const std::function<void(QAction* Sender)>& PrintPageClick);

} // namespace vv
