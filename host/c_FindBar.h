#pragma once
// Finding a phrase on the page a browser shows: the bar the reader types in
// (matches counted, next, previous, close) and the phrase a search carried to
// the page. The engine highlights every match; the highlight ends with the
// next navigation.

#include <QFrame>
#include <QString>

class QLabel;
class QLineEdit;
class QToolButton;
class QWebEngineView;
class QWebEngineFindTextResult;

namespace vv {

class TFindBar : public QFrame {
  Q_OBJECT
public:
  // View is not owned; the bar belongs to the same window.
  explicit TFindBar(QWebEngineView* View, QWidget* Parent = nullptr);

  // Shows the bar with the focus in its field.
  void Open();
  // Hides the bar, ends the highlight and gives the focus back to the page.
  void Close();
  // The next / previous match of the phrase; with none, opens the bar.
  void FindNext();
  void FindPrevious();
  // Highlights Phrase on the page that finishes loading next.
  void HighlightAfterLoad(const QString& Phrase);
  // The phrase highlighted now; empty when none.
  [[nodiscard]] const QString& Phrase() const { return FPhrase; }
  // "3 of 17" once the engine answered.
  [[nodiscard]] QString MatchText() const;

  void edtFindTextChanged();

  QLineEdit* const edtFind;
  QLabel* const lblMatches;
  QToolButton* const btnPrevious;
  QToolButton* const btnNext;
  QToolButton* const btnClose;

private:
  void Step(bool Backward);
  void Find(const QString& Phrase, bool Backward = false);
  void EndHighlight();
  void PageLoadFinished();
  void PageUrlChanged();
  void FindTextFinished(const QWebEngineFindTextResult& Result);

  QWebEngineView* const View;
  QString FPhrase;
  QString PendingPhrase; // waits for the page being loaded
};

} // namespace vv
