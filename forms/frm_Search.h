#pragma once
// The search window: finds the searchable pages of the reading order whose
// text holds a phrase, and shows a chosen one in the main window.

#include <QDialog>
#include <QIcon>
#include <QList>
#include <functional>
#include <string>

#include "storage/u_MFS.h"
#include "story/u_Story.h"

class QComboBox;
class QLabel;
class QObject;
class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace vv {

class TfrmSearch : public QDialog {
  Q_OBJECT
public:
  // Story and FilesVolume are the main window's reading order and content
  // volume (not owned; they must outlive the window). NavigateToStoryPage
  // shows the reading order's current page in the main browser.
  TfrmSearch(TStory& Story, TMFS& FilesVolume, std::function<void()> NavigateToStoryPage,
             QWidget* Parent = nullptr);

  void btnSearchClick(QObject* Sender);
  void btnShowPageClick(QObject* Sender);
  void lvFoundPagesDblClick(QObject* Sender);

  QComboBox* const cbSearchText;
  QPushButton* const btnSearch;
  QTreeWidget* const lvFoundPages;
  QPushButton* const btnShowPage;
  QPushButton* const btnClose;
  // One 16 x 16 picture, shown beside every result row.
  QList<QIcon> imglPages;
  // After Show has shown a page: the phrase whose results are listed, in UTF-8.
  std::function<void(const std::string& Phrase)> OnPageShown;

  // Over the empty list when a search found nothing; none before.
  QLabel* lblNothingFound = nullptr;

protected:
  void keyPressEvent(QKeyEvent* Event) override;
  void resizeEvent(QResizeEvent* Event) override;

private:
  void SearchStory(const std::string& Phrase, QList<QTreeWidgetItem*>& Rows);
  void LeaveStoryAtEnd();
  void ShowError(const QString& Message);
  void LayOutControls();
  // Phrase: what found nothing; empty hides the note.
  void ShowNothingFound(const QString& Phrase);

  TStory& Story;
  TMFS& FilesVolume;
  std::function<void()> NavigateToStoryPage;
  std::string ListedPhrase;
};

// Opens a search window modally; it is destroyed when it closes. Size, when
// given, is the size the reader gave it last time, and is kept for the next.
void ShowSearchForm(TStory& Story, TMFS& FilesVolume, std::function<void()> NavigateToStoryPage,
                    QWidget* Parent = nullptr, std::function<void(const std::string& Phrase)> OnPageShown = {},
                    QSize* Size = nullptr);

} // namespace vv
