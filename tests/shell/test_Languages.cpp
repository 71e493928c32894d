// Books in other scripts through the whole road: a plain folder of pages
// made into a book as vellumpack makes it, opened in the real main window,
// with the names shown in the title bar, the contents pane, the About form and
// the search results, pages named in the script served by the engine, and the
// search, the contents filter and the find bar matching without regard to case.
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <filesystem>
#include <fstream>

#include "forms/frm_Search.h"
#include "forms/frm_UserForm.h"
#include "host/c_FindBar.h"
#include "shell/qt/frm_Contents.h"
#include "tests/EngineTestUtil.h"
#include "tests/shell/MainWindowTestUtil.h"
#include "tools/u_BookSource.h"

using namespace vv;
using namespace vvtest;

namespace {
namespace fs = std::filesystem;

struct TPage {
  std::string File;    // UTF-8 file name on disk
  std::string Name;    // link text on the contents page, the name it gets
  std::string Html;    // the whole page
};

// A book in one script: its pages, and a word some of them hold.
struct TScriptBook {
  std::string Title;
  std::vector<TPage> Pages;
  QString Phrase;          // searched in another case than the pages hold it
  QStringList Found;       // the names of the pages holding it, in reading order
  int MatchesOnFirst;      // how often the first of them holds it
  QString Filter;          // typed into the contents filter, another case again
  QString Filtered;        // the one page it leaves
};

std::string Utf8Page(const std::string& Title, const std::string& Body) {
  return "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>" + Title + "</title></head><body><p>" + Body +
         "</p></body></html>";
}

void WriteAll(const fs::path& P, const std::string& Bytes) {
  std::ofstream Out(P, std::ios::binary | std::ios::trunc);
  Out.write(Bytes.data(), static_cast<std::streamsize>(Bytes.size()));
}

QString Utf8(const std::string& S) { return QString::fromStdString(S); }

// Opens the search window with the toolbar button, searches, shows the first result.
QStringList SearchAndShowFirst(TfrmMain& W, const QString& Phrase) {
  QStringList Names;
  bool Done = false;
  QToolButton* Search = nullptr;
  for (QToolButton* Button : Buttons(W))
    if (Button->text() == "Search") Search = Button;
  if (!Search) return {"no search button"};
  HandleModals([&] { Search->click(); }, [&](QWidget* Modal) {
    auto* Form = qobject_cast<TfrmSearch*>(Modal);
    if (!Form || Done) return;
    Done = true;
    Form->cbSearchText->setEditText(Phrase);
    Form->btnSearch->click();
    for (int i = 0; i < Form->lvFoundPages->topLevelItemCount(); ++i)
      Names << Form->lvFoundPages->topLevelItem(i)->text(0);
    Form->lvFoundPages->setCurrentItem(Form->lvFoundPages->topLevelItem(0));
    Form->btnShowPage->click();
    Form->btnClose->click();
  });
  return Names;
}

// The About form's caption and its page's text.
std::pair<QString, QString> AboutForm(TfrmMain& W) {
  QString Caption, Text;
  bool Busy = false;
  QToolButton* About = nullptr;
  for (QToolButton* Button : Buttons(W))
    if (Button->text() == "About") About = Button;
  if (!About) return {"no About button", ""};
  HandleModals([&] { About->click(); }, [&](QWidget* Modal) {
    auto* Form = qobject_cast<TfrmUserForm*>(Modal);
    if (!Form || Busy) return;
    Busy = true;
    Caption = Form->windowTitle();
    (void)QTest::qWaitFor([&] {
      Text = Eval(*Form->webUserForm, "document.body ? document.body.innerText : ''").toString();
      return !Text.isEmpty();
    }, 20000);
    Form->close();
  });
  return {Caption, Text};
}
} // namespace

class TestLanguages : public QObject {
  Q_OBJECT

  // Packs the book's folder as vellumpack would and walks everything a reader sees.
  void ReadBook(const TScriptBook& Book) {
    QTemporaryDir Dir;
    const fs::path Folder = fs::path(Dir.path().toStdString()) / "book";
    fs::create_directories(Folder);
    std::string Contents = "<html><head><meta charset=\"utf-8\"><title>" + Book.Title + "</title></head><body><ul>";
    for (const TPage& Page : Book.Pages) {
      fs::create_directories((Folder / Page.File).parent_path());
      WriteAll(Folder / Page.File, Page.Html);
      Contents += "<li><a href=\"" + Page.File + "\">" + Page.Name + "</a></li>";
    }
    WriteAll(Folder / "index.html", Contents + "</ul></body></html>");
    const vv::TBookSource Source(Folder.string());
    auto W = std::make_unique<TfrmMain>(TfrmMain::TBookSource{PackVolume(Source.System), PackVolume(Source.Files)});
    W->show();
    W->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(W.get()));
    TMXWebBrowser& B = *W->webMain;
    QVERIFY(WaitForPage(B, "mfs:\\index.html"));

    QCOMPARE(W->windowTitle(), Utf8(Book.Title));
    QCOMPARE(QApplication::applicationName(), Utf8(Book.Title));
    QTest::keyClick(W.get(), Qt::Key_F9);
    QVERIFY(W->frmContents);
    QTreeWidget& Tree = *W->frmContents->tvContents;
    QCOMPARE(Tree.topLevelItemCount(), static_cast<int>(Book.Pages.size()) + 1);
    for (std::size_t i = 0; i < Book.Pages.size(); ++i)
      QCOMPARE(Tree.topLevelItem(static_cast<int>(i) + 1)->text(0), Utf8(Book.Pages[i].Name));

    // The first result opens, under its own name, with the phrase highlighted there.
    QCOMPARE(SearchAndShowFirst(*W, Book.Phrase), Book.Found);
    const TPage& First = *std::find_if(Book.Pages.begin(), Book.Pages.end(),
                                       [&](const TPage& P) { return Utf8(P.Name) == Book.Found.front(); });
    QVERIFY(WaitForPage(B, "mfs:\\" + First.File));
    QTRY_COMPARE(W->pnlFind->MatchText(), QString("1 of %1").arg(Book.MatchesOnFirst));
    QTRY_COMPARE(Tree.currentItem()->text(0), Book.Found.front());

    W->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(W.get()));
    W->frmContents->edtFilter->setFocus();
    W->frmContents->edtFilter->insert(Book.Filter); // typed: key clicks carry Latin-1 only
    QStringList Shown;
    for (int i = 0; i < Tree.topLevelItemCount(); ++i)
      if (!Tree.topLevelItem(i)->isHidden()) Shown << Tree.topLevelItem(i)->text(0);
    QCOMPARE(Shown, QStringList{Book.Filtered});
    W->frmContents->ClearFilter();

    QTest::keyClick(W.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(W->pnlFind->isVisible());
    W->pnlFind->edtFind->insert(Book.Phrase);
    QTRY_COMPARE(W->pnlFind->MatchText(), QString("1 of %1").arg(Book.MatchesOnFirst));
    QTest::keyClick(W->pnlFind->edtFind, Qt::Key_Escape);

    // Scripts read and write page paths as the book names them.
    QCOMPARE(Eval(B, "window.external.Story.Current").toString(), "\\" + Utf8(First.File));
    const TPage& Last = Book.Pages.back();
    Eval(B, "window.external.WebBrowser.Navigate(" + QString::fromStdString("'mfs:/" + Last.File + "')"));
    QVERIFY(WaitForPage(B, "mfs:\\" + Last.File));
    QTRY_COMPARE(Tree.currentItem()->text(0), Utf8(Last.Name));

    const auto [Caption, Text] = AboutForm(*W);
    QCOMPARE(Caption, "About " + Utf8(Book.Title));
    QVERIFY2(Text.contains(Utf8(Book.Title)), qPrintable(Text));
  }

private slots:
  void japaneseBook() {
    // Full-width Latin letters have case; kana and kanji have none.
    ReadBook({"日本語の手引き",
              {{"はじめに.html", "はじめに", Utf8Page("はじめに", "全文検索の使い方。ＡＢＣ検索")},
               {"設定/詳細.html", "詳細設定", Utf8Page("詳細設定", "設定の検索")},
               {"付録.html", "付録", Utf8Page("付録", "索引")}},
              "ａｂｃ検索", {"はじめに"}, 1, "詳細", "詳細設定"});
  }

  void cyrillicBook() {
    // Њива and Кива differ in one letter whose UTF-8 bytes the Windows-1252
    // table paired: as names of one folder they once collided.
    ReadBook({"Руководство пользователя",
              {{"Введение.html", "Введение", Utf8Page("Введение", "Поиск работает. ПОИСК тоже.")},
               {"Њива.html", "Њива", Utf8Page("Њива", "поле")},
               {"Кива.html", "Кива", Utf8Page("Кива", "пОиСк по книге")},
               {"Приложение.html", "Приложение", Utf8Page("Приложение", "указатель")}},
              "поиск", {"Введение", "Кива"}, 2, "ПРИЛ", "Приложение"});
  }

  void accentedLatinBook() {
    // One page declares nothing: Windows-1252, as pages always were.
    ReadBook({"Café Guide",
              {{"Raphaël.html", "Peintres", Utf8Page("Raphaël", "RAPHAËL peignait à Rome.")},
               {"Élan.html", "Élan", "<html><head><title>\xC9lan</title></head><body>Rapha\xEBl et \xC9lodie</body></html>"},
               {"Œuvres.html", "Œuvres", Utf8Page("Œuvres", "Tableaux")}},
              "raphaël", {"Peintres", "Élan"}, 1, "ŒUV", "Œuvres"});
  }
};

int main(int argc, char** argv) { return RunWindowTests<TestLanguages>(argc, argv); }

#include "test_Languages.moc"
