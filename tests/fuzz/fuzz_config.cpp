// libFuzzer entry for the configuration store. The input's first line is an
// element path, the rest a configuration text, also read back as a file.
#include "config.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>

namespace {

void quiet(QtMsgType, const QMessageLogContext &, const QString &) { }

// A configuration the store accepted must read back as saved.
void checkRoundTrip(const Config &config)
{
    const QString text = config.getConfiguration();
    Config copy;
    if (!text.isEmpty() && (!copy.setConfiguration(text) || copy.getConfiguration() != text))
        abort();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler(quiet);
    static QTemporaryDir directory;
    if (!directory.isValid() || !QDir::setCurrent(directory.path()))
        abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char *>(data), int(size));
    const int newline = input.indexOf('\n');
    const QString path = QString::fromUtf8(input.left(newline < 0 ? 0 : newline));
    const QByteArray document = input.mid(newline + 1);

    Config config;
    if (config.setConfiguration(QString::fromUtf8(document))) {
        checkRoundTrip(config);
        config.getProperty(path);
        config.getNumberOfChildren(path, path.section(QLatin1Char('/'), -1));
        if (config.setProperty(path, QStringLiteral("v")))
            checkRoundTrip(config);
    }

    // The same bytes as a file, read in the encoding they declare.
    QFile file(QStringLiteral("lumaConfiguration.xml"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(document) != document.size())
        abort();
    file.close();
    Config loaded;
    if (loaded.loadConfiguration())
        checkRoundTrip(loaded);
    return 0;
}
