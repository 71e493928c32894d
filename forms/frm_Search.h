#pragma once
// The search window: draws the phrase box, the result list and the buttons,
// and reports the reader's actions to the search logic (forms/u_Search).

#include <QDialog>
#include <QIcon>
#include <QList>
#include <functional>
#include <string>

#include "forms/u_Search.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTreeWidget;

namespace vv {

class TfrmSearch : public QDialog, public ISearchView {
  Q_OBJECT
public:
  explicit TfrmSearch(QWidget* Parent = nullptr);

  [[nodiscard]] std::string Phrase() const override;
  void AddPhrase(const std::string& Phrase) override;
  void SetRows(const std::vector<TFoundPage>& Rows) override;
  [[nodiscard]] int SelectedRow() const override;
  void SetNote(const std::string& Note) override;
  void SetBusy(bool Busy) override;
  void ShowError(const std::string& Message) override;
  [[nodiscard]] TSize Size() const override;
  void Resize(const TSize& Size) override;
  void ShowModal() override;

  QComboBox* const cbSearchText;
  QPushButton* const btnSearch;
  QTreeWidget* const lvFoundPages;
  QPushButton* const btnShowPage;
  QPushButton* const btnClose;
  // One 16 x 16 picture, shown beside every result row.
  QList<QIcon> imglPages;
  // Over the empty list when a search found nothing; none before.
  QLabel* lblNothingFound = nullptr;

protected:
  void keyPressEvent(QKeyEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;

private:
  void LayOutControls();
};

} // namespace vv
