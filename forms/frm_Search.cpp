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

#include "platform/u_Ansi.h"

namespace vv {

namespace {
constexpr int FileNameColumn = 1;
const QSize DesignedSize(SearchFormSize.Width, SearchFormSize.Height);
// The buttons' column keeps to the right edge, the list fills the rest.
constexpr int ButtonsColumnWidth = 80;
} // namespace

TfrmSearch::TfrmSearch(QWidget* Parent)
    : QDialog(Parent), cbSearchText(new QComboBox(this)), btnSearch(new QPushButton("Search", this)),
      lvFoundPages(new QTreeWidget(this)), btnShowPage(new QPushButton("Show", this)),
      btnClose(new QPushButton("Close", this)) {
  setObjectName("frmSearch");
  setWindowTitle("Search");
  // A dialog border, no minimise or maximise; the reader may resize it.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
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

  const auto Forward = [](const std::function<void()>& Handler) {
    if (Handler)
      Handler();
  };
  connect(btnSearch, &QPushButton::clicked, this, [this, Forward] { Forward(OnSearch); });
  connect(btnShowPage, &QPushButton::clicked, this, [this, Forward] { Forward(OnShowPage); });
  connect(lvFoundPages, &QTreeWidget::itemDoubleClicked, this, [this, Forward] { Forward(OnShowPage); });
  connect(btnClose, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });
}

void TfrmSearch::keyPressEvent(QKeyEvent* Event) {
  // Escape acts as the Close button, so the window closes with its result.
  if (Event->key() == Qt::Key_Escape && Event->modifiers() == Qt::NoModifier) {
    btnClose->click();
    return;
  }
  QDialog::keyPressEvent(Event);
}

std::string TfrmSearch::Phrase() const { return cbSearchText->currentText().toStdString(); }

void TfrmSearch::AddPhrase(const std::string& Phrase) {
  const QString Text = QString::fromStdString(Phrase);
  cbSearchText->addItem(Text);
  cbSearchText->setEditText(Text);
}

void TfrmSearch::SetRows(const std::vector<TFoundPage>& Rows) {
  lvFoundPages->clear();
  QList<QTreeWidgetItem*> Items;
  for (const TFoundPage& Row : Rows) {
    const QString Name = AnsiToQString(Row.Name);
    auto* Item = new QTreeWidgetItem({Name, AnsiToQString(Row.Path)});
    Item->setToolTip(0, Name); // a long name is cut short in the column
    Item->setIcon(0, imglPages.value(0));
    Items.append(Item);
  }
  lvFoundPages->addTopLevelItems(Items);
}

int TfrmSearch::SelectedRow() const {
  const QList<QTreeWidgetItem*> Selected = lvFoundPages->selectedItems();
  return Selected.isEmpty() ? -1 : lvFoundPages->indexOfTopLevelItem(Selected.front());
}

void TfrmSearch::SetNote(const std::string& Note) {
  if (Note.empty()) {
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
  lblNothingFound->setText(QString::fromStdString(Note));
  lblNothingFound->show();
}

void TfrmSearch::SetBusy(bool Busy) {
  if (Busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}

void TfrmSearch::ShowError(const std::string& Message) {
  QMessageBox Box(QMessageBox::Critical, QApplication::applicationName(), AnsiToQString(Message), QMessageBox::Ok,
                  this);
  Box.setObjectName("ErrorBox");
  Box.exec();
}

TSize TfrmSearch::Size() const { return {width(), height()}; }

void TfrmSearch::Resize(const TSize& Size) {
  resize(QSize(Size.Width, Size.Height).expandedTo(minimumSize()));
}

void TfrmSearch::ShowModal() { exec(); }

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

} // namespace vv
