// The engine alone, as the start-up benchmark's baseline: one plain
// QWebEngineView showing one page from disk, in a window of the book's size.
// Usage: engine_alone PAGE.htm [WIDTH HEIGHT]
#include <QApplication>
#include <QUrl>
#include <QWebEngineView>

int main(int argc, char** argv) {
  QApplication App(argc, argv);
  if (argc < 2)
    return 2;
  QWebEngineView View;
  View.resize(argc > 3 ? QString(argv[2]).toInt() : 1000, argc > 3 ? QString(argv[3]).toInt() : 800);
  View.load(QUrl::fromLocalFile(QString::fromLocal8Bit(argv[1])));
  View.show();
  return QApplication::exec();
}
