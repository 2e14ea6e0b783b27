#pragma once

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <functional>

// A small HTTP/1.1 server on 127.0.0.1 with a port of the system's choice,
// living in the test's own thread (the program's waits run an event loop, so
// it answers them). It records every request and answers each through a
// handler: a status with a body, after a delay, or not at all.
class LocalHttpServer : public QObject
{
public:
    struct Request {
        QByteArray method;
        QByteArray path;
        QHash<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };
    struct Response {
        int status = 200;
        QByteArray body;
        QByteArray location;  // a Location header (redirects)
        int delayMs = 0;
        bool silent = false;  // accept, read, never answer
    };
    using Handler = std::function<Response(const Request &)>;

    explicit LocalHttpServer(Handler handler = nullptr)
        : m_handler(std::move(handler))
    {
        m_server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                QObject::connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readFrom(socket); });
        });
    }

    void setHandler(Handler handler) { m_handler = std::move(handler); }
    quint16 port() const { return m_server.serverPort(); }
    QByteArray url(const QByteArray &path = QByteArray()) const
    {
        return "http://127.0.0.1:" + QByteArray::number(port()) + path;
    }
    const QList<Request> &requests() const { return m_requests; }

private:
    void readFrom(QTcpSocket *socket)
    {
        QByteArray &buffer = m_buffers[socket];
        buffer += socket->readAll();
        const int headerEnd = buffer.indexOf("\r\n\r\n");
        if (headerEnd < 0)
            return;
        Request request;
        const QList<QByteArray> lines = buffer.left(headerEnd).split('\n');
        const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
        request.method = first.value(0);
        request.path = first.value(1);
        for (int i = 1; i < lines.size(); ++i) {
            const int colon = lines.at(i).indexOf(':');
            if (colon > 0)
                request.headers.insert(lines.at(i).left(colon).trimmed().toLower(), lines.at(i).mid(colon + 1).trimmed());
        }
        const int length = request.headers.value("content-length").toInt();
        if (buffer.size() < headerEnd + 4 + length)
            return;
        request.body = buffer.mid(headerEnd + 4, length);
        m_buffers.remove(socket);
        m_requests.append(request);

        const Response response = m_handler ? m_handler(request) : Response();
        if (response.silent)
            return;
        QByteArray answer = "HTTP/1.1 " + QByteArray::number(response.status) + " Status\r\nContent-Length: "
            + QByteArray::number(response.body.size()) + "\r\nContent-Type: text/plain\r\nConnection: close\r\n";
        if (!response.location.isEmpty())
            answer += "Location: " + response.location + "\r\n";
        answer += "\r\n" + response.body;
        const auto send = [socket, answer] {
            socket->write(answer);
            socket->disconnectFromHost();
        };
        if (response.delayMs > 0)
            QTimer::singleShot(response.delayMs, socket, send);
        else
            send();
    }

    QTcpServer m_server;
    Handler m_handler;
    QList<Request> m_requests;
    QHash<QTcpSocket *, QByteArray> m_buffers;
};
