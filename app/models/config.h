#ifndef CONFIG_H
#define CONFIG_H

#include <QDomDocument>
#include <QObject>
#include <QString>

// The supply's configuration as one XML document, addressed by element
// paths such as "hardwareConfig/device@id=0-0/@displayStandby".
class Config : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString configuration READ getConfiguration WRITE setConfiguration NOTIFY
                       configurationChanged)

public:
    explicit Config(QObject *parent = nullptr);

    Q_INVOKABLE QString getConfiguration() const;
    Q_INVOKABLE bool setConfiguration(const QString &xml);
    Q_INVOKABLE bool saveConfiguration();
    Q_INVOKABLE bool loadConfiguration();
    Q_INVOKABLE QString getProperty(const QString &propertyName) const;
    Q_INVOKABLE bool setProperty(const QString &property, const QString &value);
    Q_INVOKABLE int getNumberOfChildren(const QString &propertyName,
                                        const QString &childName) const;

signals:
    void configurationChanged();

private:
    bool refuse(const QString &reason);
    void adopt(const QDomDocument &document);

    QDomDocument m_document;
    const QString m_fileName = QStringLiteral("lumaConfiguration.xml");
};

#endif // CONFIG_H
