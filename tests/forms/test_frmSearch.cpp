// The search window driven as a reader drives it: typing, keys, clicks,
// against a real content volume and reading order; the search's own
// decisions are tested through fake views in viewer_logic_tests.
#include <QComboBox>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

#include "forms/frm_Search.h"
#include "tests/forms/SearchBook.h"

using namespace vv;
using vvtest::TSearchBook;

namespace {
std::string ReadWhole(const std::filesystem::path& Path) {
  std::ifstream In(Path, std::ios::binary);
  std::ostringstream Bytes;
  Bytes << In.rdbuf();
  return Bytes.str();
}

// A "book" folder as gen_corpus.py writes it: system/Story.xml and files/.
struct TFolderBook {
  explicit TFolderBook(const std::filesystem::path& Folder)
      : Story(std::make_unique<TStoryLine>(ReadWhole(Folder / "system" / "Story.xml"))) {
    const std::filesystem::path Files = Folder / "files";
    for (const auto& Entry : std::filesystem::recursive_directory_iterator(Files)) {
      std::string Path = Entry.path().lexically_relative(Files).generic_string();
      Path.insert(0, 1, '/');
      if (Entry.is_directory())
        Volume.DefaultSession().ForceFolders(Path);
      else
        Volume.DefaultSession().CreateMFSFile(Path, 0, false)->Content = ReadWhole(Entry.path());
    }
  }
  TMFS Volume;
  TStory Story;
};

QStringList Captions(const QTreeWidget& List, int Column = 0) {
  QStringList Result;
  for (int i = 0; i < List.topLevelItemCount(); ++i)
    Result << List.topLevelItem(i)->text(Column);
  return Result;
}

// Replaces the phrase the way a reader does: select all, type over it.
void TypePhrase(TfrmSearch& Form, const QString& Phrase) {
  QLineEdit* Edit = Form.cbSearchText->lineEdit();
  Edit->selectAll();
  QTest::keyClick(Edit, Qt::Key_Delete);
  QTest::keyClicks(Edit, Phrase);
}

void Search(TfrmSearch& Form, const QString& Phrase) {
  TypePhrase(Form, Phrase);
  QTest::mouseClick(Form.btnSearch, Qt::LeftButton);
}
} // namespace

class TestFrmSearch : public QObject {
  Q_OBJECT

private slots:
  void init() {
    Book = std::make_unique<TSearchBook>();
    Navigations = 0;
    Form = std::make_unique<TfrmSearch>();
    Logic = std::make_unique<TSearchForm>(*Form, Book->Story, Book->Volume, [this] { ++Navigations; });
    Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
  }
  void cleanup() {
    Logic.reset();
    Form.reset();
    Book.reset();
  }

  void showsTheComponentsWithTheirCaptions() {
    QCOMPARE(Form->windowTitle(), QString("Search"));
    QCOMPARE(Form->size(), QSize(392, 216));
    QCOMPARE(Form->btnSearch->text(), QString("Search"));
    QCOMPARE(Form->btnShowPage->text(), QString("Show"));
    QCOMPARE(Form->btnClose->text(), QString("Close"));
    QVERIFY(Form->btnSearch->isDefault());
    QVERIFY(Form->cbSearchText->isEditable());
    QCOMPARE(Form->lvFoundPages->headerItem()->text(0), QString("Page title"));
    QCOMPARE(Form->lvFoundPages->headerItem()->text(1), QString("FileName"));
    QVERIFY(Form->lvFoundPages->isColumnHidden(1));
    QCOMPARE(Form->lvFoundPages->geometry(), QRect(4, 32, 301, 177));
  }

  void searchesThroughTheWidgetsAndListsOnePhraseEach() {
    TypePhrase(*Form, "Zebra");
    QTest::keyClick(Form->cbSearchText->lineEdit(), Qt::Key_Return);
    QCOMPARE(Captions(*Form->lvFoundPages), (QStringList{"Cover", "One", "Cover again"}));
    QCOMPARE(Captions(*Form->lvFoundPages, 1), (QStringList{"\\cover.htm", "\\chap\\one.htm", "\\COVER.htm"}));
    QVERIFY(!Form->lvFoundPages->topLevelItem(0)->icon(0).isNull());
    QCOMPARE(Form->cbSearchText->count(), 1);
    QVERIFY(!QApplication::overrideCursor());
    Search(*Form, "ZEBRA");
    QCOMPARE(Form->cbSearchText->count(), 1);
    Search(*Form, "hello");
    QCOMPARE(Form->cbSearchText->count(), 2);
    QCOMPARE(Form->cbSearchText->currentText(), QString("hello"));
    QCOMPARE(Form->lvFoundPages->topLevelItemCount(), 2);
    QCOMPARE(Navigations, 0);
  }

  void showLocatesTheStoryAndNavigates() {
    Search(*Form, "zebra");
    // Show with nothing selected does nothing.
    QTest::mouseClick(Form->btnShowPage, Qt::LeftButton);
    QCOMPARE(Navigations, 0);
    QVERIFY(Book->Story.Eof());

    QTreeWidgetItem* One = Form->lvFoundPages->topLevelItem(1);
    QTest::mouseClick(Form->lvFoundPages->viewport(), Qt::LeftButton, {},
                      Form->lvFoundPages->visualItemRect(One).center());
    QCOMPARE(Form->lvFoundPages->selectedItems().value(0), One);
    QTest::mouseClick(Form->btnShowPage, Qt::LeftButton);
    QCOMPARE(Navigations, 1);
    QCOMPARE(QString::fromStdString(Book->Story.CurrentPage()), QString("\\chap\\one.htm"));
    QVERIFY(!Book->Story.Eof());
    QVERIFY(Form->isVisible());
  }

  void doubleClickShowsTheRow() {
    Search(*Form, "zebra");
    // The second listing of the cover locates its first item, as every move does.
    QTreeWidgetItem* Again = Form->lvFoundPages->topLevelItem(2);
    const QPoint At = Form->lvFoundPages->visualItemRect(Again).center();
    QTest::mouseClick(Form->lvFoundPages->viewport(), Qt::LeftButton, {}, At);
    QTest::mouseDClick(Form->lvFoundPages->viewport(), Qt::LeftButton, {}, At);
    QCOMPARE(Navigations, 1);
    QCOMPARE(Book->Story.Current(), Book->Story.StoryLine->FirstPage());
  }

  void missingPageEndsTheSearchKeepingEarlierRows() {
    cleanup();
    Book = std::make_unique<TSearchBook>(R"(<Story>
      <item page="\cover.htm" pagename="Cover"/>
      <item page="\chap\one.htm" pagename="One"/>
      <item page="\gone.htm" pagename="Gone"/>
      <item page="\last.htm" pagename="Last"/>
    </Story>)");
    Form = std::make_unique<TfrmSearch>();
    Logic = std::make_unique<TSearchForm>(*Form, Book->Story, Book->Volume, [] {});
    Form->show();
    QString Message;
    // The error box is modal: read and close it from inside its own loop.
    QTimer Closer;
    connect(&Closer, &QTimer::timeout, [&] {
      if (auto* Box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        Message = Box->text();
        Box->button(QMessageBox::Ok)->click();
      }
    });
    Closer.start(10);
    Search(*Form, "zebra");
    Closer.stop();
    QVERIFY2(Message.contains("gone.htm") && Message.contains("not found"), qPrintable(Message));
    QCOMPARE(Captions(*Form->lvFoundPages), (QStringList{"Cover", "One"}));
    QCOMPARE(QString::fromStdString(Book->Story.CurrentPage()), QString("\\gone.htm"));
  }

  void escapeAndCloseEndWithResultOk() {
    QTest::keyClick(Form->cbSearchText->lineEdit(), Qt::Key_Escape);
    QVERIFY(!Form->isVisible());
    QCOMPARE(Form->result(), 1);
    Form->setResult(0);
    Form->show();
    QTest::mouseClick(Form->btnClose, Qt::LeftButton);
    QVERIFY(!Form->isVisible());
    QCOMPARE(Form->result(), 1);
  }

  // Opt-in, on a book of gen_corpus.py (VV_SEARCH_BOOK=<out>/book): the
  // window's whole search over thousands of pages stays a short wait.
  void saysWhenNothingIsFoundAndResizes() {
    Search(*Form, "SECRET");
    QVERIFY(Form->lblNothingFound && Form->lblNothingFound->isVisible());
    QCOMPARE(Form->lblNothingFound->text(), QString("No page contains \"SECRET\"."));
    Search(*Form, "zebra");
    QVERIFY(Form->lblNothingFound->isHidden());
    Search(*Form, "");
    QVERIFY(Form->lblNothingFound->isHidden());
    // The list grows with the window; the buttons keep to its right edge.
    Form->resize(600, 400);
    QTRY_COMPARE(Form->lvFoundPages->geometry(), QRect(4, 32, 509, 361));
    QCOMPARE(Form->btnClose->geometry(), QRect(520, 60, 75, 25));
    Form->resize(100, 100);
    QTRY_COMPARE(Form->size(), QSize(392, 216));
  }

  void largeBookSearchIsQuick() {
    const QByteArray Folder = qgetenv("VV_SEARCH_BOOK");
    if (Folder.isEmpty()) QSKIP("VV_SEARCH_BOOK names no generated book");
    TFolderBook Large(Folder.toStdString());
    TfrmSearch Window;
    TSearchForm Searching(Window, Large.Story, Large.Volume, [] {});
    Window.show();
    auto TimedSearch = [&](const char* Phrase) {
      QElapsedTimer Clock;
      Clock.start();
      Search(Window, Phrase);
      qInfo("%s: %d rows in %lld ms", Phrase, Window.lvFoundPages->topLevelItemCount(),
            static_cast<long long>(Clock.elapsed()));
      return Clock.elapsed();
    };
    QVERIFY(TimedSearch("zebraquartz") < 2000);
    QCOMPARE(Window.lvFoundPages->topLevelItemCount(), 3);
    // A word on every page lists every page.
    QVERIFY(TimedSearch("the") < 2000);
    int Pages = 0;
    for (auto* Item = Large.Story.StoryLine->FirstPage(); Item;
         Item = Large.Story.StoryLine->NextPage(Item))
      ++Pages;
    QCOMPARE(Window.lvFoundPages->topLevelItemCount(), Pages);
  }

private:
  std::unique_ptr<TSearchBook> Book;
  std::unique_ptr<TfrmSearch> Form;
  std::unique_ptr<TSearchForm> Logic;
  int Navigations = 0;
};

QTEST_MAIN(TestFrmSearch)
#include "test_frmSearch.moc"
