#include "configstore.h"

#include <QDateTime>

ConfigStore::ConfigStore(int channels, int standbyMinutes)
    : m_channels(channels), m_standbyMinutes(standbyMinutes)
{
    reset();
}

static QDomElement appendElement(QDomDocument &doc, QDomNode parent, const QString &tag)
{
    return parent.appendChild(doc.createElement(tag)).toElement();
}

static void appendTextElement(QDomDocument &doc, QDomNode parent, const QString &tag,
                              const QString &text)
{
    appendElement(doc, parent, tag).appendChild(doc.createTextNode(text));
}

void ConfigStore::reset()
{
    QDomDocument doc;
    doc.appendChild(doc.createProcessingInstruction(
            QStringLiteral("xml"), QStringLiteral("version=\"1.0\" encoding=\"UTF-8\"")));
    QDomElement root = appendElement(doc, doc, QStringLiteral("lumaConfig"));
    root.setAttribute(QStringLiteral("lastChanged"),
                      QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")));
    root.setAttribute(QStringLiteral("lastChangedBy"), QStringLiteral("zandorsim"));

    QDomElement device
            = appendElement(doc, appendElement(doc, root, QStringLiteral("hardwareConfig")),
                            QStringLiteral("device"));
    device.setAttribute(QStringLiteral("id"), QStringLiteral("0-0"));
    device.setAttribute(QStringLiteral("displayStandby"), QString::number(m_standbyMinutes));
    device.setAttribute(QStringLiteral("displayBrightness"), QStringLiteral("5"));
    device.setAttribute(QStringLiteral("vResolution"), QStringLiteral("3"));
    device.setAttribute(QStringLiteral("cResolution"), QStringLiteral("4"));
    device.setAttribute(QStringLiteral("cUnit"), QStringLiteral("mA"));
    device.setAttribute(QStringLiteral("cResolutionLCR"), QStringLiteral("4"));
    device.setAttribute(QStringLiteral("cUnitLCR"), QStringLiteral("µA"));
    device.setAttribute(QStringLiteral("digitalFilter"), QStringLiteral("64"));
    device.setAttribute(QStringLiteral("adcSampleRate"), QStringLiteral("50"));
    for (int i = 0; i < m_channels; ++i) {
        QDomElement channel = appendElement(doc, device, QStringLiteral("channel"));
        channel.setAttribute(QStringLiteral("id"), i);
        channel.setAttribute(QStringLiteral("voltageMode"), QStringLiteral("6000"));
        channel.setAttribute(QStringLiteral("polarity"),
                             i % 2 ? QStringLiteral("n") : QStringLiteral("p"));
    }

    appendElement(doc, root, QStringLiteral("hardwareDetect"));

    QDomElement ethernet = appendElement(doc, root, QStringLiteral("ethernet"));
    appendTextElement(doc, ethernet, QStringLiteral("dhcp"), QStringLiteral("false"));
    appendTextElement(doc, ethernet, QStringLiteral("ip"), QStringLiteral("192.168.0.1"));
    appendTextElement(doc, ethernet, QStringLiteral("mask"), QStringLiteral("255.255.255.0"));
    appendTextElement(doc, ethernet, QStringLiteral("dns"), QStringLiteral("192.168.0.254"));
    appendTextElement(doc, ethernet, QStringLiteral("gateway"), QStringLiteral("192.168.0.254"));
    appendTextElement(doc, ethernet, QStringLiteral("ntp"), QStringLiteral("pool.ntp.org"));

    QDomElement wifi = appendElement(doc, root, QStringLiteral("wifi"));
    appendTextElement(doc, wifi, QStringLiteral("enable"), QStringLiteral("false"));
    appendTextElement(doc, wifi, QStringLiteral("ip"), QStringLiteral("10.42.0.1"));
    appendTextElement(doc, wifi, QStringLiteral("ssid"), QStringLiteral("Korvat-LUMA"));
    appendTextElement(doc, wifi, QStringLiteral("channel"), QStringLiteral("1"));
    appendTextElement(doc, wifi, QStringLiteral("password"), QStringLiteral("marigold"));

    QDomElement service = appendElement(doc, root, QStringLiteral("LUMAservice"));
    appendTextElement(doc, appendElement(doc, service, QStringLiteral("http")),
                      QStringLiteral("enable"), QStringLiteral("true"));
    for (const char *tag : { "epics", "snmp", "halService" }) {
        appendTextElement(doc, appendElement(doc, root, QLatin1String(tag)),
                          QStringLiteral("enable"), QStringLiteral("true"));
    }
    m_document = doc;
}

QByteArray ConfigStore::xml() const
{
    return m_document.toByteArray(1);
}

bool ConfigStore::replace(const QByteArray &xml, QString *error)
{
    QDomDocument doc;
    QString message;
    int line = 0;
    int column = 0;
    if (!doc.setContent(xml, &message, &line, &column)) {
        *error = QStringLiteral("configuration is not well-formed XML (line %1, column %2: %3)")
                         .arg(line)
                         .arg(column)
                         .arg(message);
        return false;
    }
    if (doc.documentElement().tagName() != QLatin1String("lumaConfig")) {
        *error = QStringLiteral("configuration root element is not lumaConfig");
        return false;
    }
    m_document = doc;
    return true;
}

QDomElement ConfigStore::configDevice() const
{
    const QDomElement hardware
            = m_document.documentElement().firstChildElement(QStringLiteral("hardwareConfig"));
    for (QDomElement device = hardware.firstChildElement(QStringLiteral("device"));
         !device.isNull(); device = device.nextSiblingElement(QStringLiteral("device"))) {
        if (device.attribute(QStringLiteral("id")) == QLatin1String("0-0"))
            return device;
    }
    return {};
}

QString ConfigStore::configured(const QString &attribute, int channel) const
{
    const QDomElement device = configDevice();
    if (channel < 0)
        return device.attribute(attribute);
    const QString id = QString::number(channel);
    for (QDomElement element = device.firstChildElement(QStringLiteral("channel"));
         !element.isNull(); element = element.nextSiblingElement(QStringLiteral("channel"))) {
        if (element.attribute(QStringLiteral("id")) == id)
            return element.attribute(attribute);
    }
    return {};
}

void ConfigStore::setDetected(const DetectedHardware &hardware)
{
    // Detection is the supply's own knowledge: whatever a client sent under
    // hardwareDetect is replaced.
    QDomElement root = m_document.documentElement();
    QDomElement old = root.firstChildElement(QStringLiteral("hardwareDetect"));
    QDomElement detect = m_document.createElement(QStringLiteral("hardwareDetect"));
    if (old.isNull())
        root.appendChild(detect);
    else
        root.replaceChild(detect, old);

    QDomElement device = appendElement(m_document, detect, QStringLiteral("device"));
    device.setAttribute(QStringLiteral("id"), QStringLiteral("0-0"));
    device.setAttribute(QStringLiteral("model"), hardware.model);
    device.setAttribute(QStringLiteral("serial"), hardware.serial);
    device.setAttribute(QStringLiteral("firmwareName"), hardware.firmwareName);
    device.setAttribute(QStringLiteral("firmwareRelease"), hardware.firmwareRelease);
    device.setAttribute(QStringLiteral("digitalFilter"), hardware.digitalFilter);
    device.setAttribute(QStringLiteral("adcSampleRate"), hardware.adcSampleRate);
    for (int i = 0; i < hardware.channels.size(); ++i) {
        const DetectedHardware::Channel &c = hardware.channels.at(i);
        QDomElement channel = appendElement(m_document, device, QStringLiteral("channel"));
        channel.setAttribute(QStringLiteral("id"), i);
        channel.setAttribute(QStringLiteral("voltageMode"), c.voltageMode);
        channel.setAttribute(QStringLiteral("polarity"), c.polarity);
        channel.setAttribute(QStringLiteral("voltageModeList"), c.voltageModeList);
        channel.setAttribute(QStringLiteral("currentModeList"), c.currentModeList);
    }
}
