#include "tlstrust.h"

#include <QDebug>
#include <QFile>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslError>

bool TlsTrust::trustCaCertificate(const QString &file)
{
    // The configuration as Qt made it: "" goes back to exactly that.
    static const QSslConfiguration original = QSslConfiguration::defaultConfiguration();

    if (file.isEmpty()) {
        QSslConfiguration::setDefaultConfiguration(original);
        return true;
    }
    QFile certificateFile(file);
    if (!certificateFile.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << "TlsTrust: cannot read the CA certificate" << file + ":"
                             << certificateFile.errorString();
        return false;
    }
    const QList<QSslCertificate> certificates
            = QSslCertificate::fromData(certificateFile.readAll(), QSsl::Pem);
    if (certificates.isEmpty()) {
        qWarning().noquote() << "TlsTrust: no PEM certificate in" << file;
        return false;
    }
    QSslConfiguration configuration = original;
    configuration.setCaCertificates(QSslConfiguration::systemCaCertificates() + certificates);
    QSslConfiguration::setDefaultConfiguration(configuration);
    for (const QSslCertificate &certificate : certificates) {
        qInfo().noquote() << "TlsTrust: trusting" << certificate.subjectDisplayName() << "from"
                          << file;
    }
    return true;
}

bool TlsTrust::isCertificateFailure(const QString &errorText) const
{
    // Every check of a peer's certificate, from its issuer to its host name.
    for (int error = QSslError::UnableToGetIssuerCertificate;
         error <= QSslError::CertificateBlacklisted; ++error) {
        if (error != QSslError::NoSslSupport
            && QSslError(QSslError::SslError(error)).errorString() == errorText) {
            return true;
        }
    }
    return false;
}
