#include "forms/frm_Search.h"

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QTreeWidget>
#include <exception>

#include "platform/u_Ansi.h"
#include "text/u_SearchText.h"

namespace vv {

namespace {
constexpr int FileNameColumn = 1;
constexpr int PathRole = Qt::UserRole;
const QSize DesignedSize(392, 216);
// The buttons' column keeps to the right edge, the list fills the rest.
constexpr int ButtonsColumnWidth = 80;

// The story reads an item's settings the same way for its current item.
std::string PageNameOf(const TXMLNode* Item) {
  return Item->Attributes->GetValue("pagename", "").ToText();
}
bool SearchableOf(const TXMLNode* Item) {
  return Item->Attributes->GetValue("searchable", true).ToBoolean();
}
} // namespace

TfrmSearch::TfrmSearch(TStory& Story, TMFS& FilesVolume, std::function<void()> NavigateToStoryPage,
                       QWidget* Parent)
    : QDialog(Parent), cbSearchText(new QComboBox(this)),
      btnSearch(new QPushButton("Search", this)), lvFoundPages(new QTreeWidget(this)),
      btnShowPage(new QPushButton("Show", this)), btnClose(new QPushButton("Close", this)),
      Story(Story), FilesVolume(FilesVolume), NavigateToStoryPage(std::move(NavigateToStoryPage)) {
  setObjectName("frmSearch");
  setWindowTitle("Search");
  // A dialog border, no minimise or maximise; the reader may resize it.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setMinimumSize(DesignedSize);
  resize(DesignedSize);

  cbSearchText->setObjectName("cbSearchText");
  cbSearchText->setEditable(true);
  // The list holds what was searched, added by the search itself, not by Enter.
  cbSearchText->setInsertPolicy(QComboBox::NoInsert);
  cbSearchText->setGeometry(4, 4, 301, 21);

  btnSearch->setObjectName("btnSearch");
  btnSearch->setGeometry(312, 4, 75, 25);
  btnSearch->setDefault(true);

  imglPages.append(QIcon(style()->standardIcon(QStyle::SP_FileIcon).pixmap(16, 16)));
  lvFoundPages->setObjectName("lvFoundPages");
  lvFoundPages->setGeometry(4, 32, 301, 177);
  lvFoundPages->setColumnCount(2);
  lvFoundPages->setHeaderLabels({"Page title", "FileName"});
  lvFoundPages->setRootIsDecorated(false);
  lvFoundPages->setSelectionMode(QAbstractItemView::SingleSelection);
  lvFoundPages->setIconSize(QSize(16, 16));
  lvFoundPages->header()->setSectionResizeMode(0, QHeaderView::Stretch);
  lvFoundPages->header()->setStretchLastSection(false);
  lvFoundPages->setColumnHidden(FileNameColumn, true);

  btnShowPage->setObjectName("btnShowPage");
  btnShowPage->setGeometry(312, 32, 75, 25);
  btnClose->setObjectName("btnClose");
  btnClose->setGeometry(312, 60, 75, 25);

  connect(btnSearch, &QPushButton::clicked, this, [this] { btnSearchClick(btnSearch); });
  connect(btnShowPage, &QPushButton::clicked, this, [this] { btnShowPageClick(btnShowPage); });
  connect(btnClose, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
  connect(lvFoundPages, &QTreeWidget::itemDoubleClicked, this,
          [this] { lvFoundPagesDblClick(lvFoundPages); });
}

void TfrmSearch::keyPressEvent(QKeyEvent* Event) {
  // Escape acts as the Close button, so the window closes with its result.
  if (Event->key() == Qt::Key_Escape && Event->modifiers() == Qt::NoModifier) {
    btnClose->click();
    return;
  }
  QDialog::keyPressEvent(Event);
}

void TfrmSearch::btnSearchClick(QObject*) {
  lvFoundPages->clear();
  const QString Entered = cbSearchText->currentText();
  // The phrase is Unicode whatever the book's code page: each page is compared in its own.
  const std::string Phrase = Entered.toStdString();
  bool Listed = false;
  for (int i = 0; i < cbSearchText->count() && !Listed; ++i)
    Listed = cbSearchText->itemText(i).compare(Entered, Qt::CaseInsensitive) == 0;
  if (!Listed) cbSearchText->addItem(Entered);
  cbSearchText->setEditText(Entered);

  ListedPhrase = Phrase;
  QList<QTreeWidgetItem*> Rows;
  QString Failure;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    SearchStory(Phrase, Rows);
  } catch (const std::exception& E) {
    Failure = AnsiToQString(E.what());
  }
  // Rows found before a failure stay listed.
  lvFoundPages->addTopLevelItems(Rows);
  ShowNothingFound(Rows.isEmpty() && Failure.isEmpty() ? Entered : QString());
  QApplication::restoreOverrideCursor();
  if (!Failure.isEmpty()) ShowError(Failure);
}

// Walks each item of the reading order once, in order. Stepping with
// TStory::Next would re-locate a page listed twice at its first item and
// never reach the end, so the walk follows the story line and leaves the
// reading order where a full walk with Next leaves it.
void TfrmSearch::SearchStory(const std::string& Phrase, QList<QTreeWidgetItem*>& Rows) {
  TSearchPhrase Search(Phrase);
  TMFSSession& Session = FilesVolume.DefaultSession();
  Story.First();
  for (const TXMLNode* Item = Story.Current(); Item; Item = Story.StoryLine->NextPage(Item)) {
    const std::string Path = TStoryLine::PageOf(Item);
    try {
      // Read even when the page is not searchable: a missing file ends the search.
      const std::string& Content = Session.GetFile(Path)->Content;
      if (SearchableOf(Item) && Search.FoundInPage(Content)) {
        const QString Name = AnsiToQString(PageNameOf(Item));
        auto* Row = new QTreeWidgetItem({Name, AnsiToQString(Path)});
        // The path's own bytes, which a code page may not carry through text.
        Row->setData(FileNameColumn, PathRole, QByteArray::fromStdString(Path));
        Row->setToolTip(0, Name); // a long name is cut short in the column
        Row->setIcon(0, imglPages.value(0));
        Rows.append(Row);
      }
    } catch (...) {
      Story.Locate(Path);
      throw;
    }
  }
  LeaveStoryAtEnd();
}

void TfrmSearch::LeaveStoryAtEnd() {
  Story.Last();
  // The walk's final step fails on the last page and sets Eof; a last page
  // listed earlier as well would make that step re-locate and move on.
  if (Story.Current() && Story.StoryLine->FindByPage(Story.CurrentPage()) == Story.Current())
    Story.Next(Story.CurrentPage());
}

void TfrmSearch::resizeEvent(QResizeEvent* Event) {
  QDialog::resizeEvent(Event);
  LayOutControls();
}

void TfrmSearch::LayOutControls() {
  const int Right = width() - ButtonsColumnWidth;
  cbSearchText->setGeometry(4, 4, Right - 11, 21);
  btnSearch->setGeometry(Right, 4, 75, 25);
  lvFoundPages->setGeometry(4, 32, Right - 11, height() - 39);
  btnShowPage->setGeometry(Right, 32, 75, 25);
  btnClose->setGeometry(Right, 60, 75, 25);
  if (lblNothingFound)
    lblNothingFound->setGeometry(lvFoundPages->viewport()->rect().adjusted(4, 4, -4, -4));
}

void TfrmSearch::ShowNothingFound(const QString& Phrase) {
  if (Phrase.isEmpty()) {
    if (lblNothingFound)
      lblNothingFound->hide();
    return;
  }
  if (!lblNothingFound) {
    // Over the empty list, where the results would be.
    lblNothingFound = new QLabel(lvFoundPages->viewport());
    lblNothingFound->setObjectName("lblNothingFound");
    lblNothingFound->setAlignment(Qt::AlignCenter);
    lblNothingFound->setWordWrap(true);
    LayOutControls();
  }
  lblNothingFound->setText(QString("No page contains \"%1\".").arg(Phrase));
  lblNothingFound->show();
}

void TfrmSearch::btnShowPageClick(QObject*) {
  const QList<QTreeWidgetItem*> Selected = lvFoundPages->selectedItems();
  if (Selected.isEmpty()) return;
  try {
    Story.Locate(Selected.front()->data(FileNameColumn, PathRole).toByteArray().toStdString());
    NavigateToStoryPage();
    if (OnPageShown)
      OnPageShown(ListedPhrase);
  } catch (const std::exception& E) {
    ShowError(AnsiToQString(E.what()));
  }
}

void TfrmSearch::lvFoundPagesDblClick(QObject* Sender) {
  btnShowPageClick(Sender);
}

void TfrmSearch::ShowError(const QString& Message) {
  QMessageBox Box(QMessageBox::Critical, QApplication::applicationName(), Message, QMessageBox::Ok,
                  this);
  Box.setObjectName("ErrorBox");
  Box.exec();
}

void ShowSearchForm(TStory& Story, TMFS& FilesVolume, std::function<void()> NavigateToStoryPage,
                    QWidget* Parent, std::function<void(const std::string& Phrase)> OnPageShown,
                    QSize* Size) {
  TfrmSearch Form(Story, FilesVolume, std::move(NavigateToStoryPage), Parent);
  Form.OnPageShown = std::move(OnPageShown);
  if (Size && Size->isValid())
    Form.resize(Size->expandedTo(Form.minimumSize()));
  Form.exec();
  if (Size && Form.size() != DesignedSize)
    *Size = Form.size();
}

} // namespace vv
