#include "config.h"

#include <QByteArray>
#include <QDateTime>
#include <QDebug>
#include <QDomElement>
#include <QDomNodeList>
#include <QFile>
#include <QList>
#include <QSaveFile>
#include <QStringList>
#include <QTextStream>

namespace {

QDomElement configRoot(const QDomDocument &document)
{
    return document.firstChildElement(QStringLiteral("lumaConfig"));
}

// Names go verbatim into the saved file; a bad one would make it unreadable.
bool isXmlName(const QString &name)
{
    if (name.isEmpty() || !(name.at(0).isLetter() || name.at(0) == QLatin1Char('_')))
        return false;
    for (const QChar c : name) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('_') && c != QLatin1Char('-')
            && c != QLatin1Char('.') && c != QLatin1Char(':'))
            return false;
    }
    return true;
}

// Elements addressed by a path relative to the root; never empty. Wildcard
// matches come first, the deepest element reached comes last.
QList<QDomElement> resolvePath(const QDomElement &root, const QString &path, bool forWriting)
{
    QDomElement current = root;
    QDomElement reached = root;
    QList<QDomElement> matches;

    const QStringList segments = path.split(QLatin1Char('/'));
    for (const QString &segment : segments) {
        const QStringList pieces = segment.split(QLatin1Char('@'));
        const QString tagName = pieces.first();
        if (tagName.isEmpty())
            continue;

        const bool hasSelector = pieces.size() > 1;
        QString attributeName;
        QString wantedValue;
        bool hasValue = false;
        if (hasSelector) {
            const QString selector = pieces.at(1);
            const int equals = selector.indexOf(QLatin1Char('='));
            hasValue = equals >= 0;
            attributeName = hasValue ? selector.left(equals) : selector;
            wantedValue = selector.mid(equals + 1);
        }

        // Every matching child is visited, so the last one in document order wins.
        QDomElement parent = current;
        bool matched = false;
        for (QDomElement child = parent.firstChildElement(tagName); !child.isNull();
             child = child.nextSiblingElement(tagName)) {
            if (!hasSelector) {
                current = reached = child;
                matched = true;
            } else if (!hasValue) {
                qDebug().noquote()
                        << "Config::Attribute " + attributeName + " no search value given";
            } else if (child.attribute(attributeName) == wantedValue) {
                current = reached = child;
                matched = true;
            } else if (wantedValue == QLatin1String("*")) {
                matches.append(child);
                current = reached = child;
                matched = true;
            }
        }

        if (forWriting && !hasSelector && !matched && !parent.isNull()) {
            const QDomElement created = parent.ownerDocument().createElement(tagName);
            parent.appendChild(created);
            current = reached = created;
        }
    }

    matches.append(reached);
    return matches;
}

} // namespace

Config::Config(QObject *parent) : QObject(parent) { }

QString Config::getConfiguration() const
{
    return m_document.toString(1);
}

bool Config::setConfiguration(const QString &xml)
{
    QString error;
    int line = 0;
    int column = 0;
    const bool ok = m_document.setContent(xml, false, &error, &line, &column);
    return acceptParsed(ok, error, line, column);
}

bool Config::saveConfiguration()
{
    // Written aside and renamed over the old file, so a failed save never
    // leaves a truncated configuration behind.
    QByteArray text;
    {
        // Encodes in the document's declared encoding (UTF-8 without one), so
        // the file reads back as written whatever the process locale is.
        QTextStream stream(&text, QIODevice::WriteOnly);
        m_document.save(stream, 1);
    }
    QSaveFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) {
        qDebug() << "Config::Could not open configuration file";
        return false;
    }
    // Without a commit the temporary file is discarded and the old file stays.
    if (file.write(text) != text.size() || !file.flush() || !file.commit()) {
        qDebug() << "Config::Could not open configuration file";
        return false;
    }
    return true;
}

bool Config::loadConfiguration()
{
    QFile file(m_fileName);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        qDebug() << "Config::Could not open configuration file";
        return false;
    }
    // Parsed from the bytes so the encoding declared in the file is honoured.
    QString error;
    int line = 0;
    int column = 0;
    const bool ok = m_document.setContent(file.readAll(), false, &error, &line, &column);
    return acceptParsed(ok, error, line, column);
}

QString Config::getProperty(const QString &propertyName) const
{
    const QDomElement element = resolvePath(configRoot(m_document), propertyName, false).first();
    const QString last = propertyName.split(QLatin1Char('/')).last();
    if (last.contains(QLatin1Char('@')))
        return element.attribute(QString(last).remove(QLatin1Char('@')));
    return element.text();
}

bool Config::setProperty(const QString &property, const QString &value)
{
    QDomElement root = configRoot(m_document);
    if (root.isNull()) {
        qDebug().noquote() << "Config::No configuration loaded, not setting " + property;
        return true;
    }

    const QStringList segments = property.split(QLatin1Char('/'));
    const QString last = segments.last();
    const bool isAttribute = last.contains(QLatin1Char('@'));
    const QString attributeName = QString(last).remove(QLatin1Char('@'));
    bool namesValid = !isAttribute || isXmlName(attributeName);
    for (const QString &segment : segments) {
        if (!segment.isEmpty() && !segment.contains(QLatin1Char('@')) && !isXmlName(segment))
            namesValid = false;
    }
    if (!namesValid) {
        qWarning().noquote() << "Config::Invalid element or attribute name in " + property;
        return false;
    }

    const QList<QDomElement> targets = resolvePath(root, property, true);
    for (QDomElement element : targets) {
        if (isAttribute)
            element.setAttribute(attributeName, value);
        else if (!element.hasChildNodes())
            element.appendChild(m_document.createTextNode(value));
        else
            element.firstChild().setNodeValue(value);
    }

    root.setAttribute(QStringLiteral("lastChangedBy"), QStringLiteral("Zandorcontrol"));
    root.setAttribute(QStringLiteral("lastChanged"),
                      QDateTime::currentDateTime().toString(QStringLiteral("yyyy/MM/dd hh:mm:ss")));
    return true;
}

int Config::getNumberOfChildren(const QString &propertyName, const QString &childName) const
{
    const QDomElement element = resolvePath(configRoot(m_document), propertyName, false).first();
    const QDomNodeList children = element.childNodes();
    int count = 0;
    for (int i = 0; i < children.count(); ++i) {
        const QDomNode child = children.at(i);
        if (child.isElement() && child.toElement().tagName() == childName)
            ++count;
    }
    return count;
}

bool Config::acceptParsed(bool ok, const QString &error, int line, int column)
{
    if (!ok) {
        qWarning().noquote()
                << QStringLiteral("Config::Could not parse configuration: %1 (line %2, column %3)")
                           .arg(error, QString::number(line), QString::number(column));
        // Whatever a failed parse left behind is no configuration.
        m_document.clear();
    }
    // Emitted once the new document is in place, so readers see it.
    emit configurationChanged();
    return ok;
}
