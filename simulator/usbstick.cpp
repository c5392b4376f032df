#include "usbstick.h"

#include "supply.h"

#include <QRegularExpression>

namespace {

const QString ConfigType = QStringLiteral("lumaConfig");
const QString DriverType = QStringLiteral("usbDriver");
const QString DriverFile = QStringLiteral("zandor-usb-driver.inf");

bool isConfigFile(const QString &name)
{
    return name.endsWith(QLatin1String(".xml"));
}

} // namespace

UsbStick::UsbStick(Supply *supply) : m_supply(supply)
{
    m_files.insert(QStringLiteral("LUMAconfig.xml"), supply->configuration());
    m_files.insert(QStringLiteral("readme.txt"), "Files of the supply's USB memory.\n");
    showState();
}

QString UsbStick::checkDrive(const QString &drive) const
{
    if (drive != QLatin1String("USB"))
        return QStringLiteral("unknown drive \"%1\"").arg(drive);
    if (!m_mounted)
        return QStringLiteral("no USB memory mounted");
    return {};
}

void UsbStick::showState()
{
    ItemModel &items = m_supply->items();
    items.set(QStringLiteral("0.0"), QStringLiteral("Status.usbAuxState"),
              m_mounted ? QStringLiteral("ok") : QStringLiteral("off"));
    items.set(QStringLiteral("0.0"), QStringLiteral("Status.usbAuxText"),
              m_mounted ? QStringLiteral("USB stick") : QStringLiteral("USB unmounted"));
}

UsbResult UsbStick::fileList(const QString &type, const QString &drive) const
{
    UsbResult result;
    result.error = checkDrive(drive);
    if (!result.error.isEmpty())
        return result;
    if (type != ConfigType && type != DriverType) {
        result.error = QStringLiteral("unknown file type \"%1\"").arg(type);
        return result;
    }
    for (auto it = m_files.constBegin(); it != m_files.constEnd(); ++it) {
        if (type == ConfigType ? isConfigFile(it.key()) : it.key() == DriverFile)
            result.files << it.key();
    }
    return result;
}

UsbResult UsbStick::download(const QString &type, const QString &drive, const QString &name)
{
    UsbResult result;
    result.error = checkDrive(drive);
    if (!result.error.isEmpty())
        return result;
    if (type == DriverType) {
        m_files.insert(DriverFile, "; USB serial driver of the Zandor supply\n");
        result.success = QStringLiteral("USB drivers saved on the USB memory");
        return result;
    }
    if (type != ConfigType) {
        result.error = QStringLiteral("unknown file type \"%1\"").arg(type);
        return result;
    }
    // Names end up in a FAT directory: plain characters only, no paths.
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_-][A-Za-z0-9._-]{0,63}$"));
    if (!plain.match(name).hasMatch()) {
        result.error = QStringLiteral("invalid file name \"%1\"").arg(name);
        return result;
    }
    const QString fileName = isConfigFile(name) ? name : name + QStringLiteral(".xml");
    m_files.insert(fileName, m_supply->configuration());
    result.success = QStringLiteral("Configuration saved on USB as %1").arg(fileName);
    return result;
}

UsbResult UsbStick::upload(const QString &type, const QString &drive, const QString &name)
{
    UsbResult result;
    result.error = checkDrive(drive);
    if (!result.error.isEmpty())
        return result;
    if (type != ConfigType) {
        result.error = QStringLiteral("files of type \"%1\" cannot be restored").arg(type);
        return result;
    }
    if (!isConfigFile(name) || !m_files.contains(name)) {
        result.error = QStringLiteral("no configuration file \"%1\" on the USB memory").arg(name);
        return result;
    }
    QString error;
    if (!m_supply->replaceConfiguration(m_files.value(name), &error)) {
        result.error = QStringLiteral("%1: %2").arg(name, error);
        return result;
    }
    result.success = QStringLiteral("Configuration restored from %1").arg(name);
    return result;
}

UsbResult UsbStick::unmount(const QString &drive)
{
    UsbResult result;
    result.error = checkDrive(drive);
    if (!result.error.isEmpty())
        return result;
    m_mounted = false;
    showState();
    result.success = QStringLiteral("USB memory unmounted, it can be removed");
    return result;
}
