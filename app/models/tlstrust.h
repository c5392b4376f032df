#ifndef TLSTRUST_H
#define TLSTRUST_H

#include <QObject>
#include <QString>

// The certificates a wss:// link trusts: the system's, and a CA certificate
// file the operator names. Qt's sockets copy the process-wide TLS
// configuration when they are made, so a change reaches the next socket.
class TlsTrust : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Trusts the PEM certificates in file beside the system's; "" trusts
    // the system's alone. False, with a log line and the trust as it was,
    // when the file cannot be read or holds no certificate.
    Q_INVOKABLE bool trustCaCertificate(const QString &file);
    // Whether a socket's error text is a failed check of the peer's
    // certificate (Qt reports the first such failure as the socket's error).
    Q_INVOKABLE bool isCertificateFailure(const QString &errorText) const;
};

#endif // TLSTRUST_H
