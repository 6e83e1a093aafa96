// SPDX-License-Identifier: GPL-3.0-or-later
// TCP client services on QTcpSocket. The conversation callback is delivered from
// the socket's signals, so it runs only while events are processed.

#include "platform/comm.h"

#include <QTcpSocket>

#include <map>

namespace {

struct Conversation {
    QTcpSocket *socket = nullptr;
    tcpFuncPtr callback = nullptr;
    void *callbackData = nullptr;
};

std::map<unsigned, Conversation> g_conversations;
unsigned g_nextHandle = 1;

Conversation *find(unsigned handle)
{
    auto it = g_conversations.find(handle);
    return it == g_conversations.end() ? nullptr : &it->second;
}

int connectError(QAbstractSocket::SocketError error)
{
    switch (error) {
    case QAbstractSocket::HostNotFoundError:
        return kTcpUnableToEstablishConnection;
    case QAbstractSocket::ConnectionRefusedError:
        return kTcpFailedToConnect;
    case QAbstractSocket::SocketTimeoutError:
        return kTcpTimeOutError;
    default:
        return kTcpGeneralIOErr;
    }
}

} // namespace

int ConnectToTCPServer(unsigned *handle, unsigned port, const char *serverHostName, tcpFuncPtr callback,
                       void *callbackData, unsigned timeoutMs)
{
    if (!handle || !serverHostName || !*serverHostName || port == 0 || port > 65535)
        return kTcpInvalidParameter;
    auto *socket = new QTcpSocket;
    socket->connectToHost(QString::fromLatin1(serverHostName), static_cast<quint16>(port));
    if (!socket->waitForConnected(static_cast<int>(timeoutMs))) {
        const int code = connectError(socket->error());
        socket->abort();
        delete socket;
        return code;
    }
    // One small request and answer after the other: do not let Nagle hold them back.
    socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    const unsigned h = g_nextHandle++;
    g_conversations[h] = {socket, callback, callbackData};
    QObject::connect(socket, &QTcpSocket::readyRead, [h] {
        if (Conversation *c = find(h); c && c->callback)
            c->callback(h, TCP_DATAREADY, 0, c->callbackData);
    });
    QObject::connect(socket, &QTcpSocket::disconnected, [h] {
        Conversation *c = find(h);
        if (!c)
            return;
        const Conversation copy = *c;
        g_conversations.erase(h);
        copy.socket->deleteLater();
        if (copy.callback)
            copy.callback(h, TCP_DISCONNECT, 0, copy.callbackData);
    });
    *handle = h;
    return 0;
}

int DisconnectFromTCPServer(unsigned handle)
{
    Conversation *c = find(handle);
    if (!c)
        return kTcpNoConnectionEstablished;
    QTcpSocket *socket = c->socket;
    g_conversations.erase(handle);
    QObject::disconnect(socket, nullptr, nullptr, nullptr);
    socket->abort();
    socket->deleteLater();
    return 0;
}

int ClientTCPWrite(unsigned handle, const void *data, unsigned size, unsigned /*timeoutMs*/)
{
    Conversation *c = find(handle);
    if (!c)
        return kTcpNoConnectionEstablished;
    if (!data)
        return kTcpInvalidParameter;
    const qint64 n = c->socket->write(static_cast<const char *>(data), size);
    c->socket->flush();
    return n < 0 ? kTcpGeneralIOErr : static_cast<int>(n);
}

int ClientTCPRead(unsigned handle, void *buffer, unsigned size, unsigned timeoutMs)
{
    Conversation *c = find(handle);
    if (!c)
        return kTcpNoConnectionEstablished;
    if (!buffer)
        return kTcpInvalidParameter;
    if (size == 0)
        return 0;
    if (c->socket->bytesAvailable() == 0 && !c->socket->waitForReadyRead(static_cast<int>(timeoutMs)))
        return kTcpTimeOutError;
    const qint64 n = c->socket->read(static_cast<char *>(buffer), size);
    return n < 0 ? kTcpGeneralIOErr : static_cast<int>(n);
}

int ClientTCPDiscardInput(unsigned handle)
{
    Conversation *c = find(handle);
    if (!c)
        return kTcpNoConnectionEstablished;
    c->socket->readAll();
    return 0;
}
