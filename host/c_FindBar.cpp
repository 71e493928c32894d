#include "host/c_FindBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineView>

namespace vv {

TFindBar::TFindBar(QWebEngineView* View, QWidget* Parent)
    : QFrame(Parent), edtFind(new QLineEdit(this)), lblMatches(new QLabel(this)), btnPrevious(new QToolButton(this)),
      btnNext(new QToolButton(this)), btnClose(new QToolButton(this)), View(View) {
  setObjectName("pnlFind");
  edtFind->setObjectName("edtFind");
  edtFind->setPlaceholderText("Find on this page");
  edtFind->setMaximumWidth(260);
  lblMatches->setObjectName("lblMatches");
  lblMatches->setMinimumWidth(lblMatches->fontMetrics().horizontalAdvance("888 of 888"));
  btnPrevious->setObjectName("btnPrevious");
  btnPrevious->setArrowType(Qt::UpArrow);
  btnPrevious->setToolTip("Previous match (Shift+F3)");
  btnNext->setObjectName("btnNext");
  btnNext->setArrowType(Qt::DownArrow);
  btnNext->setToolTip("Next match (F3)");
  btnClose->setObjectName("btnClose");
  btnClose->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
  btnClose->setToolTip("Close (Escape)");
  btnClose->setAutoRaise(true);
  auto* Row = new QHBoxLayout(this);
  Row->setContentsMargins(4, 2, 4, 2);
  Row->addWidget(edtFind, 1);
  Row->addWidget(lblMatches);
  Row->addWidget(btnPrevious);
  Row->addWidget(btnNext);
  Row->addStretch(1);
  Row->addWidget(btnClose);
  hide();

  connect(edtFind, &QLineEdit::textChanged, this, [this] { edtFindTextChanged(); });
  connect(edtFind, &QLineEdit::returnPressed, this, [this] { FindNext(); });
  connect(btnNext, &QToolButton::clicked, this, [this] { FindNext(); });
  connect(btnPrevious, &QToolButton::clicked, this, [this] { FindPrevious(); });
  connect(btnClose, &QToolButton::clicked, this, [this] { Close(); });
  connect(View, &QWebEngineView::urlChanged, this, [this] { PageUrlChanged(); });
  connect(View, &QWebEngineView::loadFinished, this, [this] { PageLoadFinished(); });
  connect(View->page(), &QWebEnginePage::findTextFinished, this,
          [this](const QWebEngineFindTextResult& Result) { FindTextFinished(Result); });
}

void TFindBar::Open() {
  show();
  edtFind->setFocus();
  edtFind->selectAll();
}

void TFindBar::Close() {
  hide();
  EndHighlight();
  View->setFocus();
}

void TFindBar::FindNext() { Step(false); }

void TFindBar::FindPrevious() { Step(true); }

void TFindBar::Step(bool Backward) {
  // After a navigation the bar's text is looked for on the new page.
  if (FPhrase.isEmpty() && isVisible())
    FPhrase = edtFind->text();
  if (FPhrase.isEmpty())
    Open();
  else
    Find(FPhrase, Backward);
}

void TFindBar::HighlightAfterLoad(const QString& Phrase) { PendingPhrase = Phrase; }

QString TFindBar::MatchText() const { return lblMatches->text(); }

void TFindBar::edtFindTextChanged() {
  FPhrase = edtFind->text();
  if (FPhrase.isEmpty())
    EndHighlight();
  else
    Find(FPhrase);
}

void TFindBar::Find(const QString& Phrase, bool Backward) {
  View->page()->findText(Phrase, Backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags());
}

void TFindBar::EndHighlight() {
  FPhrase.clear();
  lblMatches->clear();
  View->page()->findText(QString());
}

void TFindBar::PageUrlChanged() {
  // The page a search result opens is on its way; any other navigation ends the highlight.
  if (PendingPhrase.isEmpty() && !FPhrase.isEmpty())
    EndHighlight();
}

void TFindBar::PageLoadFinished() {
  if (PendingPhrase.isEmpty())
    return;
  FPhrase = PendingPhrase;
  PendingPhrase.clear();
  Find(FPhrase);
}

void TFindBar::FindTextFinished(const QWebEngineFindTextResult& Result) {
  if (FPhrase.isEmpty())
    return;
  lblMatches->setText(Result.numberOfMatches() ? QString("%1 of %2").arg(Result.activeMatch()).arg(Result.numberOfMatches())
                                               : QString("No matches"));
}

} // namespace vv
