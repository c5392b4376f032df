#include "configstore.h"
#include "framerecorder.h"
#include "server.h"
#include "supply.h"
#include "usbstick.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QSocketNotifier>
#include <QSslCertificate>
#include <QSslConfiguration>
#include <QSslKey>

#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2];

void onSignal(int)
{
    const char byte = 1;
    // Only async-signal-safe work here; the event loop does the rest.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
}

bool readInt(const QCommandLineParser &parser, const QString &name, int min, int max, int *value)
{
    bool ok = false;
    *value = parser.value(name).toInt(&ok);
    if (ok && *value >= min && *value <= max)
        return true;
    std::fprintf(stderr, "zandorsim: --%s must be a whole number from %d to %d\n", qPrintable(name),
                 min, max);
    return false;
}

QByteArray readFile(const QString &name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

// The server's side of TLS from PEM files: the certificate (with any
// intermediates after it) and its unencrypted private key.
bool loadTls(const QString &certificateFile, const QString &keyFile, QSslConfiguration *tls)
{
    const QList<QSslCertificate> chain
            = QSslCertificate::fromData(readFile(certificateFile), QSsl::Pem);
    if (chain.isEmpty()) {
        std::fprintf(stderr, "zandorsim: no PEM certificate in %s\n", qPrintable(certificateFile));
        return false;
    }
    const QByteArray keyData = readFile(keyFile);
    QSslKey key(keyData, QSsl::Rsa);
    if (key.isNull())
        key = QSslKey(keyData, QSsl::Ec);
    if (key.isNull()) {
        std::fprintf(stderr, "zandorsim: no unencrypted PEM private key (RSA or EC) in %s\n",
                     qPrintable(keyFile));
        return false;
    }
    *tls = QSslConfiguration::defaultConfiguration();
    tls->setLocalCertificateChain(chain);
    tls->setPrivateKey(key);
    // Clients are not asked for certificates: they log in.
    tls->setPeerVerifyMode(QSslSocket::VerifyNone);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zandorsim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Virtual four-channel high-voltage supply."));
    parser.addHelpOption();
    parser.addOptions({
            { "host", "Address to listen on.", "address", "127.0.0.1" },
            { "port", "Port to listen on; 0 picks a free one.", "port", "8080" },
            { "channels", "Number of channels (1-6).", "count", "4" },
            { "record", "Write every frame received and sent to this file, one JSON line each.",
              "file" },
            { "seed", "Seed of the measurement noise.", "number" },
            { "cycle", "Initial push cycle in milliseconds.", "ms", "250" },
            { "standby", "Display standby time in minutes in the configuration (0 = off).",
              "minutes", "10" },
            { "garbage", "Send each logged-in client a malformed frame every so often (0 = never).",
              "ms", "0" },
            { "switch-delay",
              "Carry out and answer switching writes (Control.on, Control.emergency) this much "
              "later, as a loaded supply does (0 = at once).",
              "ms", "0" },
            { "clamp",
              "Take a set value, limit or ramp outside its range as the nearest limit instead of "
              "refusing it, as some supplies do." },
            { "tls-certificate",
              "Serve wss:// with this certificate (PEM, the server's first, then any "
              "intermediates); needs --tls-key.",
              "file" },
            { "tls-key", "Unencrypted private key (PEM) of --tls-certificate.", "file" },
    });
    parser.process(app);

    int port = 0, channels = 0, cycle = 0, standby = 0, garbage = 0, switchDelay = 0;
    if (!readInt(parser, "port", 0, 65535, &port) || !readInt(parser, "channels", 1, 6, &channels)
        || !readInt(parser, "cycle", 10, 60000, &cycle)
        || !readInt(parser, "standby", 0, 1440, &standby)
        || !readInt(parser, "garbage", 0, 60000, &garbage)
        || !readInt(parser, "switch-delay", 0, 60000, &switchDelay)) {
        return 2;
    }
    quint32 seed = QRandomGenerator::system()->generate();
    if (parser.isSet("seed")) {
        bool ok = false;
        seed = parser.value("seed").toUInt(&ok);
        if (!ok) {
            std::fprintf(stderr, "zandorsim: --seed must be a whole number from 0 to 4294967295\n");
            return 2;
        }
    }
    const QHostAddress host(parser.value("host"));
    if (host.isNull()) {
        std::fprintf(stderr, "zandorsim: --host must be an IP address\n");
        return 2;
    }

    QSslConfiguration tls;
    if (parser.isSet("tls-certificate") != parser.isSet("tls-key")) {
        std::fprintf(stderr, "zandorsim: --tls-certificate and --tls-key go together\n");
        return 2;
    }
    if (parser.isSet("tls-certificate")
        && !loadTls(parser.value("tls-certificate"), parser.value("tls-key"), &tls)) {
        return 2;
    }

    FrameRecorder recorder;
    if (parser.isSet("record") && !recorder.open(parser.value("record"))) {
        std::fprintf(stderr, "zandorsim: cannot write %s\n", qPrintable(parser.value("record")));
        return 2;
    }

    ConfigStore config(channels, standby);
    Supply supply(channels, seed, cycle, &config);
    supply.setClampToRange(parser.isSet("clamp"));
    UsbStick usb(&supply);
    Server server(&supply, &usb, parser.isSet("record") ? &recorder : nullptr, tls);
    server.setGarbageInterval(garbage);
    server.setSwitchDelay(switchDelay);
    if (!server.listen(host, quint16(port))) {
        std::fprintf(stderr, "zandorsim: cannot listen on %s:%d: %s\n", qPrintable(host.toString()),
                     port, qPrintable(server.errorString()));
        return 1;
    }

    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) {
        std::perror("zandorsim: socketpair");
        return 1;
    }
    QSocketNotifier notifier(signalPipe[1], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);

    std::printf("zandorsim listening on %s:%u%s\n", qPrintable(host.toString()),
                unsigned(server.port()), tls.isNull() ? "" : " (TLS)");
    std::fflush(stdout);
    return app.exec();
}
