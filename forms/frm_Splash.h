#pragma once
// The splash window: a borderless picture on top of other windows, drawn
// and placed as the splash logic (forms/u_Splash) says, reporting clicks.

#include <QPointer>
#include <QWidget>
#include <memory>

#include "forms/u_Splash.h"

class QLabel;

namespace vv {

class TfrmSplash : public QWidget {
  Q_OBJECT
public:
  explicit TfrmSplash(QWidget* Parent = nullptr);

  QLabel* const imgSplash;
  // A click on the window or its picture.
  std::function<void()> OnClick;

protected:
  void mouseReleaseEvent(QMouseEvent* Event) override;
  bool eventFilter(QObject* Watched, QEvent* Event) override;
};

// The splash view: a TfrmSplash owned by the application, released with
// deleteLater so that the logic may close it from inside its own click.
class TQtSplashView : public ISplashView {
public:
  TQtSplashView();
  ~TQtSplashView() override;
  bool LoadPicture(const std::string& Bytes, TPictureKind Type) override;
  [[nodiscard]] TSize WindowSize() const override;
  [[nodiscard]] TRect ScreenRect() const override;
  void MoveTo(const TPoint& TopLeft) override;
  void Show() override;
  void Close() override;

private:
  QPointer<TfrmSplash> Window;
  TLifetime Life; // the window may report a click after this view is gone
};

} // namespace vv
