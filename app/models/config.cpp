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
#include <QXmlStreamReader>

namespace {

// Far beyond any real configuration. Deeper or larger text is refused before
// it reaches the DOM, whose recursion a deeply nested document exhausts.
constexpr int maxDepth = 64;
constexpr qint64 maxSize = 2 * 1024 * 1024;

// Reads text (a string, or bytes with their declared encoding) into a DOM
// document; on failure says why.
template<typename Text>
bool parseConfiguration(const Text &text, QDomDocument *document, QString *error)
{
    QXmlStreamReader reader(text);
    // As the DOM reads it below: prefixes are part of the names.
    reader.setNamespaceProcessing(false);
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement && ++depth > maxDepth) {
            *error = QStringLiteral("nested deeper than %1 levels (line %2, column %3)")
                             .arg(QString::number(maxDepth), QString::number(reader.lineNumber()),
                                  QString::number(reader.columnNumber()));
            return false;
        }
        if (token == QXmlStreamReader::EndElement)
            --depth;
    }
    if (reader.hasError()) {
        *error = QStringLiteral("%1 (line %2, column %3)")
                         .arg(reader.errorString(), QString::number(reader.lineNumber()),
                              QString::number(reader.columnNumber()));
        return false;
    }
    QString message;
    int line = 0;
    int column = 0;
    if (!document->setContent(text, false, &message, &line, &column)) {
        *error = QStringLiteral("%1 (line %2, column %3)")
                         .arg(message, QString::number(line), QString::number(column));
        return false;
    }
    return true;
}

QDomElement configRoot(const QDomDocument &document)
{
    return document.firstChildElement(QStringLiteral("lumaConfig"));
}

// Names go verbatim into the saved file; a bad one would make it unreadable.
// A prefix is allowed, as the reader takes it: one colon between two names.
bool isXmlName(const QString &name)
{
    const QStringList parts = name.split(QLatin1Char(':'));
    if (parts.size() > 2)
        return false;
    for (const QString &part : parts) {
        if (part.isEmpty() || !(part.at(0).isLetter() || part.at(0) == QLatin1Char('_')))
            return false;
        for (const QChar c : part) {
            if (!c.isLetterOrNumber() && c != QLatin1Char('_') && c != QLatin1Char('-')
                && c != QLatin1Char('.'))
                return false;
        }
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
    if (xml.size() > maxSize)
        return refuse(QStringLiteral("%1 characters, more than %2").arg(xml.size()).arg(maxSize));
    QDomDocument parsed;
    QString error;
    if (!parseConfiguration(xml, &parsed, &error))
        return refuse(error);
    adopt(parsed);
    return true;
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
    // Where no file can be made beside it, the old one is overwritten in place.
    file.setDirectWriteFallback(true);
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
    if (file.size() > maxSize)
        return refuse(QStringLiteral("%1 bytes, more than %2").arg(file.size()).arg(maxSize));
    // Parsed from the bytes so the encoding declared in the file is honoured.
    QDomDocument parsed;
    QString error;
    if (!parseConfiguration(file.readAll(), &parsed, &error))
        return refuse(error);
    adopt(parsed);
    return true;
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
        // Refused: saving and sending an empty document would wipe the supply's.
        qWarning().noquote() << "Config::No configuration loaded, not setting "
                        + property.left(300);
        return false;
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
        qWarning().noquote() << "Config::Invalid element or attribute name in "
                        + property.left(300);
        return false;
    }
    // Each element segment may add a level; the document must stay readable.
    const int levels = segments.size() - (isAttribute ? 1 : 0);
    if (levels >= maxDepth) {
        qWarning().noquote() << QStringLiteral(
                                        "Config::Path of %1 levels is too deep, not setting it")
                                        .arg(levels);
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

bool Config::refuse(const QString &reason)
{
    // A bad text must not cost the good configuration already held.
    qWarning().noquote() << QStringLiteral("Config::Could not parse configuration: %1; keeping the "
                                           "previous one")
                                    .arg(reason.left(300));
    return false;
}

void Config::adopt(const QDomDocument &document)
{
    m_document = document;
    // Emitted once the new document is in place, so readers see it.
    emit configurationChanged();
}
