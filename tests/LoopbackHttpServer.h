#pragma once
// A minimal HTTP server on 127.0.0.1 for tests that need pages from outside
// the book: fixed pages by path, one answer per connection, a bounded number
// of requests, gone with the object.

#include <QByteArray>
#include <QHostAddress>
#include <QMap>
#include <QTcpServer>
#include <QTcpSocket>
#include <QUrl>

namespace vvtest {

class TLoopbackHttpServer : public QObject {
public:
  explicit TLoopbackHttpServer(QMap<QByteArray, QByteArray> Pages, int MaxRequests = 200)
      : Pages(std::move(Pages)), RequestsLeft(MaxRequests) {
    Server.listen(QHostAddress::LocalHost, 0);
    connect(&Server, &QTcpServer::newConnection, this, [this] {
      while (QTcpSocket* Socket = Server.nextPendingConnection()) {
        connect(Socket, &QTcpSocket::disconnected, Socket, &QObject::deleteLater);
        connect(Socket, &QTcpSocket::readyRead, Socket, [this, Socket] { Answer(Socket); });
      }
    });
  }

  [[nodiscard]] QUrl Url(const QByteArray& Path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(Server.serverPort()).arg(QString::fromLatin1(Path)));
  }

private:
  void Answer(QTcpSocket* Socket) {
    Buffer[Socket] += Socket->readAll();
    const QByteArray& Request = Buffer[Socket];
    if (!Request.contains("\r\n\r\n"))
      return;
    const QList<QByteArray> Line = Request.left(Request.indexOf("\r\n")).split(' ');
    const QByteArray Path = Line.size() > 1 ? Line[1].split('?').first() : QByteArray();
    Buffer.remove(Socket);
    const bool Known = RequestsLeft-- > 0 && Pages.contains(Path);
    const QByteArray Body = Known ? Pages.value(Path) : QByteArray("not here");
    Socket->write((Known ? "HTTP/1.1 200 OK\r\n" : "HTTP/1.1 404 Not Found\r\n") +
                  QByteArray("Content-Type: text/html\r\nConnection: close\r\nContent-Length: ") +
                  QByteArray::number(Body.size()) + "\r\n\r\n" + Body);
    Socket->disconnectFromHost();
  }

  QTcpServer Server;
  QMap<QByteArray, QByteArray> Pages;
  QMap<QTcpSocket*, QByteArray> Buffer;
  int RequestsLeft;
};

} // namespace vvtest
