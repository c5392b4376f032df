#ifndef USBSTICK_H
#define USBSTICK_H

#include <QByteArray>
#include <QMap>
#include <QStringList>

class ItemModel;
class Supply;

struct UsbResult
{
    QString error; // empty on success
    QString success; // text for the operator
    QStringList files;
};

// The USB memory plugged into the supply's auxiliary port.
class UsbStick
{
public:
    explicit UsbStick(Supply *supply);

    UsbResult fileList(const QString &type, const QString &drive) const;
    UsbResult download(const QString &type, const QString &drive, const QString &name);
    UsbResult upload(const QString &type, const QString &drive, const QString &name);
    UsbResult unmount(const QString &drive);

private:
    QString checkDrive(const QString &drive) const;
    void showState();

    Supply *m_supply;
    bool m_mounted = true;
    QMap<QString, QByteArray> m_files;
};

#endif // USBSTICK_H
