#include "config.h"

#include <QDateTime>
#include <QDir>
#include <QDomDocument>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char *const fileName = "lumaConfiguration.xml";
const char *const openFailure = "Config::Could not open configuration file";
const char *const stampFormat = "yyyy/MM/dd hh:mm:ss";

// Two devices "0-0" under hardwareDetect to exercise the last-match rule.
const QString fixture = QString::fromUtf8(R"(<?xml version="1.0" encoding="UTF-8"?>
<lumaConfig version="3">
 <hardwareConfig scope="config">
  <device id="0-0" displayStandby="10" cUnit="µA">
   <channel id="0" voltageMode="HV" polarity="positive"/>
   <channel id="1" voltageMode="LV" polarity="negative"/>
   <channel id="2" voltageMode="MV" polarity="negative" label="a=b"/>
  </device>
  <device id="0-1" displayStandby="5"/>
  <note lang="en">first<b>bold</b>last</note>
 </hardwareConfig>
 <hardwareDetect>
  <device id="0-0" model="ZHV-4000 first">
   <channel id="0"/>
   <channel id="1"/>
  </device>
  <device id="0-0" model="ZHV-4000 second">
   <channel id="0" voltageModeList="HV,LV"/>
   <channel id="1"/>
   <channel id="2"/>
   <channel id="3"/>
  </device>
 </hardwareDetect>
</lumaConfig>
)");

// Base document of the write cases; each row states its expected edit of it.
const QString writeBase = QStringLiteral("<lumaConfig>"
                                         "<hardwareConfig scope=\"c\">"
                                         "<device id=\"0-0\" displayStandby=\"10\">"
                                         "<channel id=\"0\" polarity=\"p\"/>"
                                         "<channel id=\"1\" polarity=\"n\"/>"
                                         "</device>"
                                         "<device id=\"0-1\"/>"
                                         "<name>old</name>"
                                         "<note>first<b>bold</b>last</note>"
                                         "</hardwareConfig>"
                                         "</lumaConfig>");

QString edit(QString document, const QString &from, const QString &to)
{
    Q_ASSERT(document.contains(from));
    return document.replace(from, to);
}

// Attribute order is not kept by the DOM, and the change stamps vary, so
// documents are compared in a form with sorted attributes and no stamps.
QString canonical(const QDomNode &node)
{
    if (node.isText())
        return node.nodeValue().trimmed();
    const QDomElement element = node.toElement();
    if (element.isNull())
        return QString();
    QStringList attributes;
    const QDomNamedNodeMap map = element.attributes();
    for (int i = 0; i < map.count(); ++i) {
        const QDomAttr attribute = map.item(i).toAttr();
        if (attribute.name() != QLatin1String("lastChanged")
            && attribute.name() != QLatin1String("lastChangedBy"))
            attributes << attribute.name() + QLatin1Char('=') + attribute.value();
    }
    attributes.sort();
    QString result = QLatin1Char('<') + element.tagName() + QLatin1Char(' ')
            + attributes.join(QLatin1Char(' ')) + QLatin1Char('>');
    for (QDomNode child = element.firstChild(); !child.isNull(); child = child.nextSibling())
        result += canonical(child);
    return result + QLatin1String("</") + element.tagName() + QLatin1Char('>');
}

// A configuration of version 9 with the given levels below the root, padded
// by a comment.
QString nested(int levels, int padding = 0)
{
    return "<lumaConfig version=\"9\"><hardwareConfig/>" + QString("<a>").repeated(levels)
            + QString("</a>").repeated(levels) + "<!--" + QString(padding, QLatin1Char(' '))
            + "--></lumaConfig>";
}

QString canonical(const QString &xml)
{
    QDomDocument document;
    if (!document.setContent(xml))
        return QStringLiteral("<unparsable>");
    return canonical(document.documentElement());
}

QByteArray fileContent()
{
    QFile file(QString::fromLatin1(fileName));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Collects debug and warning lines while alive.
class MessageLog
{
public:
    MessageLog()
    {
        previous = qInstallMessageHandler(handler);
        lines().clear();
    }
    ~MessageLog() { qInstallMessageHandler(previous); }
    static QStringList &lines()
    {
        static QStringList collected;
        return collected;
    }

private:
    static void handler(QtMsgType type, const QMessageLogContext &, const QString &message)
    {
        if (type == QtDebugMsg || type == QtWarningMsg)
            lines() << message;
    }
    QtMessageHandler previous;
};

// Makes every write beyond a few bytes fail, as a full disk would.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved;
        limit.rlim_cur = bytes;
        active = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }
    bool active = false;

private:
    rlimit saved;
    void (*previousHandler)(int);
};

} // namespace

class tst_Config : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void getProperty_data();
    void getProperty();
    void getNumberOfChildren_data();
    void getNumberOfChildren();
    void missingSearchValue_data();
    void missingSearchValue();
    void setProperty_data();
    void setProperty();
    void emptyStore_data();
    void emptyStore();
    void setConfiguration_data();
    void setConfiguration();

    void saveAndLoad();
    void saveEmptyStore();
    void saveOntoDirectory();
    void failedSaveKeepsOldFile();
    void loadMissingFile();
    void loadMalformedFile_data();
    void loadMalformedFile();
    void saveInUnwritableDirectory();

private:
    QTemporaryDir workDir;
};

void tst_Config::initTestCase()
{
    QVERIFY(workDir.isValid());
    QVERIFY(QDir::setCurrent(workDir.path()));
}

void tst_Config::init()
{
    const QString name = QString::fromLatin1(fileName);
    if (QFileInfo(name).isDir())
        QVERIFY(QDir(name).removeRecursively());
    else if (QFile::exists(name))
        QVERIFY(QFile::remove(name));
}

void tst_Config::getProperty_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("expected");

    QTest::newRow("selector, attribute") << "hardwareConfig/device@id=0-0/@displayStandby"
                                         << "10";
    QTest::newRow("other selector value") << "hardwareConfig/device@id=0-1/@displayStandby"
                                          << "5";
    QTest::newRow("nested selectors") << "hardwareConfig/device@id=0-0/channel@id=1/@polarity"
                                      << "negative";
    QTest::newRow("non-ASCII value")
            << "hardwareConfig/device@id=0-0/@cUnit" << QString::fromUtf8("µA");
    QTest::newRow("root attribute") << "@version"
                                    << "3";
    QTest::newRow("last of two matching selectors") << "hardwareDetect/device@id=0-0/@model"
                                                    << "ZHV-4000 second";
    QTest::newRow("last of plain matches") << "hardwareConfig/device/@id"
                                           << "0-1";
    QTest::newRow("wildcard answers with first match") << "hardwareDetect/device@id=*/@model"
                                                       << "ZHV-4000 first";
    QTest::newRow("wildcard on channels")
            << "hardwareConfig/device@id=0-0/channel@id=*/@voltageMode"
            << "HV";
    QTest::newRow("value containing '='")
            << "hardwareConfig/device@id=0-0/channel@label=a=b/@voltageMode"
            << "MV";
    QTest::newRow("empty value matches absent attribute")
            << "hardwareConfig/device@id=0-0/channel@label=/@voltageMode"
            << "LV";
    QTest::newRow("missing device falls back to parent") << "hardwareConfig/device@id=9-9/@scope"
                                                         << "config";
    QTest::newRow("missing device, parent lacks attribute")
            << "hardwareConfig/device@id=9-9/@displayStandby"
            << "";
    QTest::newRow("search goes on in the same element") << "hardwareConfig/device@id=9-9/note/@lang"
                                                        << "en";
    QTest::newRow("unknown element falls back to root") << "nothing/@version"
                                                        << "3";
    QTest::newRow("element text concatenated") << "hardwareConfig/note"
                                               << "firstboldlast";
    QTest::newRow("selector segment read as attribute") << "hardwareConfig/note@lang=en"
                                                        << "";
    QTest::newRow("leading slash") << "/hardwareConfig/device@id=0-0/@displayStandby"
                                   << "10";
    QTest::newRow("doubled slashes") << "hardwareConfig//device@id=0-0//@displayStandby"
                                     << "10";
    QTest::newRow("trailing slash reads text") << "hardwareConfig/note/"
                                               << "firstboldlast";
}

void tst_Config::getProperty()
{
    QFETCH(QString, path);
    QFETCH(QString, expected);

    Config config;
    QVERIFY(config.setConfiguration(fixture));
    QCOMPARE(config.getProperty(path), expected);
}

void tst_Config::getNumberOfChildren_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("childName");
    QTest::addColumn<int>("expected");

    QTest::newRow("channels of device") << "hardwareConfig/device@id=0-0"
                                        << "channel" << 3;
    QTest::newRow("last of two devices") << "hardwareDetect/device@id=0-0"
                                         << "channel" << 4;
    QTest::newRow("devices") << "hardwareConfig"
                             << "device" << 2;
    QTest::newRow("root's children") << ""
                                     << "hardwareDetect" << 1;
    QTest::newRow("missing device counts at parent") << "hardwareConfig/device@id=9-9"
                                                     << "device" << 2;
    QTest::newRow("no such child") << "hardwareConfig/device@id=0-0"
                                   << "nothing" << 0;
    QTest::newRow("text nodes not counted") << "hardwareConfig/note"
                                            << "" << 0;
}

void tst_Config::getNumberOfChildren()
{
    QFETCH(QString, path);
    QFETCH(QString, childName);
    QFETCH(int, expected);

    Config config;
    QVERIFY(config.setConfiguration(fixture));
    QCOMPARE(config.getNumberOfChildren(path, childName), expected);
}

void tst_Config::missingSearchValue_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QStringList>("expectedLog");
    QTest::addColumn<QString>("expected");

    const QString idLine = QStringLiteral("Config::Attribute id no search value given");
    const QString polarityLine = QStringLiteral("Config::Attribute polarity no search value given");
    QTest::newRow("one line per device")
            << "hardwareConfig/device@id/@scope" << QStringList { idLine, idLine } << "config";
    QTest::newRow("one line per channel")
            << "hardwareConfig/device@id=0-0/channel@polarity/@displayStandby"
            << QStringList { polarityLine, polarityLine, polarityLine } << "10";
    QTest::newRow("no child with the tag")
            << "hardwareConfig/nothing@id/@scope" << QStringList() << "config";
}

void tst_Config::missingSearchValue()
{
    QFETCH(QString, path);
    QFETCH(QStringList, expectedLog);
    QFETCH(QString, expected);

    Config config;
    QVERIFY(config.setConfiguration(fixture));
    QString value;
    {
        MessageLog log;
        value = config.getProperty(path);
        QCOMPARE(MessageLog::lines(), expectedLog);
    }
    QCOMPARE(value, expected);
}

void tst_Config::setProperty_data()
{
    QTest::addColumn<QString>("property");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("expected");

    const QString device0 = QStringLiteral("<device id=\"0-0\" displayStandby=\"10\">");
    const QString device1 = QStringLiteral("<device id=\"0-1\"/>");

    QTest::newRow("new attribute")
            << "hardwareConfig/device@id=0-0/@displayBrightness"
            << "80" << true
            << edit(writeBase, device0,
                    "<device id=\"0-0\" displayStandby=\"10\" displayBrightness=\"80\">");
    QTest::newRow("replaced attribute")
            << "hardwareConfig/device@id=0-0/@displayStandby"
            << "30" << true << edit(writeBase, "displayStandby=\"10\"", "displayStandby=\"30\"");
    QTest::newRow("markup in value stored as text")
            << "hardwareConfig/device@id=0-1/@label"
            << "<a & \"b\">" << true
            << edit(writeBase, device1,
                    "<device id=\"0-1\" label=\"&lt;a &amp; &quot;b&quot;>\"/>");
    QTest::newRow("missing elements created under deepest match")
            << "hardwareConfig/device@id=0-0/limits/voltage/@max"
            << "3000" << true
            << edit(writeBase, "<channel id=\"1\" polarity=\"n\"/>",
                    "<channel id=\"1\" polarity=\"n\"/><limits><voltage max=\"3000\"/></limits>");
    QTest::newRow("missing top element created under root")
            << "network/@ip"
            << "10.0.0.2" << true
            << edit(writeBase, "</lumaConfig>", "<network ip=\"10.0.0.2\"/></lumaConfig>");
    QTest::newRow("selector segment never created")
            << "hardwareConfig/device@id=0-0/channel@id=7/@polarity"
            << "x" << true
            << edit(writeBase, device0, "<device id=\"0-0\" displayStandby=\"10\" polarity=\"x\">");
    QTest::newRow("missing device writes on parent")
            << "hardwareConfig/device@id=9-9/@displayStandby"
            << "1" << true << edit(writeBase, "scope=\"c\"", "scope=\"c\" displayStandby=\"1\"");
    QTest::newRow("element created past unmatched selector")
            << "hardwareConfig/device@id=9-9/extra/@a"
            << "1" << true
            << edit(writeBase, "</hardwareConfig>", "<extra a=\"1\"/></hardwareConfig>");
    QTest::newRow("wildcard writes every channel")
            << "hardwareConfig/device@id=0-0/channel@id=*/@polarity"
            << "off" << true
            << edit(edit(writeBase, "polarity=\"p\"", "polarity=\"off\""), "polarity=\"n\"",
                    "polarity=\"off\"");
    QTest::newRow("wildcard writes every device")
            << "hardwareConfig/device@id=*/@displayStandby"
            << "5" << true
            << edit(edit(writeBase, "displayStandby=\"10\"", "displayStandby=\"5\""), device1,
                    "<device id=\"0-1\" displayStandby=\"5\"/>");
    QTest::newRow("plain segment writes last match")
            << "hardwareConfig/device/@x"
            << "1" << true << edit(writeBase, device1, "<device id=\"0-1\" x=\"1\"/>");
    QTest::newRow("leading and doubled slashes")
            << "/hardwareConfig//device@id=0-1//@x"
            << "1" << true << edit(writeBase, device1, "<device id=\"0-1\" x=\"1\"/>");
    QTest::newRow("text node created")
            << "hardwareConfig/device@id=0-1/label"
            << "Main" << true
            << edit(writeBase, device1, "<device id=\"0-1\"><label>Main</label></device>");
    QTest::newRow("text replaced")
            << "hardwareConfig/name"
            << "new" << true << edit(writeBase, "<name>old</name>", "<name>new</name>");
    QTest::newRow("only first text node replaced")
            << "hardwareConfig/note"
            << "x" << true << edit(writeBase, "<note>first<b>", "<note>x<b>");
    QTest::newRow("element first child left alone") << "hardwareConfig"
                                                    << "x" << true << writeBase;

    QTest::newRow("selector as last segment") << "hardwareConfig/device@id=0-0"
                                              << "1" << false << writeBase;
    QTest::newRow("blank in element name") << "hardwareConfig/bad name/@x"
                                           << "1" << false << writeBase;
    QTest::newRow("element name starts with digit") << "hardwareConfig/1st/@x"
                                                    << "1" << false << writeBase;
    QTest::newRow("empty attribute name") << "hardwareConfig/@"
                                          << "1" << false << writeBase;
    QTest::newRow("prefixed element name")
            << "n:limits/@max"
            << "3" << true
            << edit(writeBase, "</lumaConfig>", "<n:limits max=\"3\"/></lumaConfig>");
    QTest::newRow("prefix before a digit") << "ut:8/@x"
                                           << "1" << false << writeBase;
    QTest::newRow("two colons") << "a:b:c/@x"
                                << "1" << false << writeBase;
    QTest::newRow("attribute name with quote") << "hardwareConfig/@a\"b"
                                               << "1" << false << writeBase;

    // The root and 63 levels below it make a document that still reads back.
    QTest::newRow("path of 63 levels")
            << QString("x/").repeated(63) + "@a"
            << "1" << true
            << edit(writeBase, "</lumaConfig>",
                    QString("<x>").repeated(62) + "<x a=\"1\"/>" + QString("</x>").repeated(62)
                            + "</lumaConfig>");
    QTest::newRow("path of 64 levels") << QString("x/").repeated(64) + "@a"
                                       << "1" << false << writeBase;
}

void tst_Config::setProperty()
{
    QFETCH(QString, property);
    QFETCH(QString, value);
    QFETCH(bool, accepted);
    QFETCH(QString, expected);

    Config config;
    QVERIFY(config.setConfiguration(writeBase));
    const QString format = QString::fromLatin1(stampFormat);
    const QDateTime before
            = QDateTime::fromString(QDateTime::currentDateTime().toString(format), format);
    QCOMPARE(config.setProperty(property, value), accepted);
    const QDateTime after = QDateTime::currentDateTime();

    QCOMPARE(canonical(config.getConfiguration()), canonical(expected));
    if (!accepted) {
        QCOMPARE(config.getProperty("@lastChangedBy"), QString());
        QCOMPARE(config.getProperty("@lastChanged"), QString());
        return;
    }
    QCOMPARE(config.getProperty("@lastChangedBy"), QStringLiteral("Zandorcontrol"));
    const QString stamp = config.getProperty("@lastChanged");
    QVERIFY2(QRegularExpression("^\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2}$")
                     .match(stamp)
                     .hasMatch(),
             qPrintable(stamp));
    const QDateTime stamped = QDateTime::fromString(stamp, format);
    QVERIFY2(stamped >= before && stamped <= after, qPrintable(stamp));
}

void tst_Config::emptyStore_data()
{
    QTest::addColumn<QString>("xml");

    QTest::newRow("nothing loaded") << QString();
    QTest::newRow("foreign root element") << "<other><hardwareConfig scope=\"c\"/></other>";
}

void tst_Config::emptyStore()
{
    QFETCH(QString, xml);

    Config config;
    if (!xml.isNull())
        QVERIFY(config.setConfiguration(xml));
    const QString before = config.getConfiguration();

    QCOMPARE(config.getProperty("hardwareConfig/@scope"), QString());
    QCOMPARE(config.getNumberOfChildren("", "hardwareConfig"), 0);
    // Refused, so that no caller saves or sends a document that holds nothing.
    QTest::ignoreMessage(QtWarningMsg,
                         "Config::No configuration loaded, not setting hardwareConfig/@scope");
    QTest::ignoreMessage(QtWarningMsg, "Config::No configuration loaded, not setting network/@ip");
    QVERIFY(!config.setProperty("hardwareConfig/@scope", "x"));
    QVERIFY(!config.setProperty("network/@ip", "10.0.0.2"));
    QCOMPARE(config.getConfiguration(), before);
    QCOMPARE(config.getProperty("hardwareConfig/@scope"), QString());
}

void tst_Config::setConfiguration_data()
{
    QTest::addColumn<QString>("xml");
    QTest::addColumn<bool>("parsed");

    QTest::newRow("well-formed") << "<lumaConfig version=\"9\"><hardwareConfig/></lumaConfig>"
                                 << true;
    QTest::newRow("unclosed element")
            << "<lumaConfig version=\"9\"><hardwareConfig></lumaConfig>" << false;
    QTest::newRow("truncated") << "<lumaConfig version=\"9\"><hardwareConfig/>" << false;
    QTest::newRow("not XML") << "version=9" << false;
    QTest::newRow("empty text") << "" << false;
    QTest::newRow("64 levels") << nested(63) << true;
    QTest::newRow("65 levels") << nested(64) << false;
    QTest::newRow("20000 levels") << nested(20000) << false;
    QTest::newRow("within the size limit") << nested(1, 2 * 1024 * 1024 - 100) << true;
    QTest::newRow("over the size limit") << nested(1, 2 * 1024 * 1024) << false;
}

void tst_Config::setConfiguration()
{
    QFETCH(QString, xml);
    QFETCH(bool, parsed);

    Config config;
    QVERIFY(config.setConfiguration(fixture));
    QStringList seen;
    connect(&config, &Config::configurationChanged, this,
            [&] { seen << config.getConfiguration(); });

    const QString before = config.getConfiguration();
    {
        MessageLog log;
        QCOMPARE(config.setConfiguration(xml), parsed);
        QCOMPARE(MessageLog::lines().size(), parsed ? 0 : 1);
        if (!parsed)
            QVERIFY2(MessageLog::lines().first().contains(
                             QRegularExpression("line \\d+, column \\d+|more than \\d+"))
                             && MessageLog::lines().first().size() < 400,
                     qPrintable(MessageLog::lines().first().left(400)));
    }

    // Notified once, after the new document is in place; a refused text
    // leaves the previous document and says nothing.
    QCOMPARE(seen.size(), parsed ? 1 : 0);
    if (!parsed) {
        QCOMPARE(config.getConfiguration(), before);
        return;
    }
    QCOMPARE(seen.first(), config.getConfiguration());
    QCOMPARE(config.getProperty("@version"), QStringLiteral("9"));
    QCOMPARE(config.getNumberOfChildren("", "hardwareConfig"), 1);
    // What was taken reads back as written out.
    Config copy;
    QVERIFY(copy.setConfiguration(config.getConfiguration()));
    QCOMPARE(copy.getConfiguration(), config.getConfiguration());
}

void tst_Config::saveAndLoad()
{
    Config config;
    QVERIFY(config.setConfiguration(fixture));
    QVERIFY(config.setProperty("hardwareConfig/device@id=0-0/@cResolution",
                               QString::fromUtf8("1 µA")));
    QVERIFY(config.saveConfiguration());

    QCOMPARE(fileContent(), config.getConfiguration().toUtf8());
    QCOMPARE(QDir::current().entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList { QString::fromLatin1(fileName) });

    Config loaded;
    QSignalSpy changed(&loaded, &Config::configurationChanged);
    QVERIFY(loaded.loadConfiguration());
    QCOMPARE(changed.count(), 1);
    QCOMPARE(loaded.getConfiguration(), config.getConfiguration());
    QCOMPARE(loaded.getProperty("hardwareConfig/device@id=0-0/@cResolution"),
             QString::fromUtf8("1 µA"));

    // A second save replaces the whole file.
    QVERIFY(config.setConfiguration("<lumaConfig/>"));
    QVERIFY(config.saveConfiguration());
    QCOMPARE(fileContent(), config.getConfiguration().toUtf8());
}

void tst_Config::saveEmptyStore()
{
    Config config;
    QVERIFY(config.saveConfiguration());
    QVERIFY(QFileInfo(QString::fromLatin1(fileName)).isFile());
    QCOMPARE(fileContent(), QByteArray());
}

void tst_Config::saveOntoDirectory()
{
    QVERIFY(QDir::current().mkdir(QString::fromLatin1(fileName)));
    Config config;
    QVERIFY(config.setConfiguration(fixture));

    MessageLog log;
    QVERIFY(!config.saveConfiguration());
    QCOMPARE(MessageLog::lines(), QStringList { QString::fromLatin1(openFailure) });
    QVERIFY(QFileInfo(QString::fromLatin1(fileName)).isDir());
    QCOMPARE(QDir::current().entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList { QString::fromLatin1(fileName) });
    QCOMPARE(config.getProperty("@version"), QStringLiteral("3"));
}

void tst_Config::failedSaveKeepsOldFile()
{
    Config config;
    QVERIFY(config.setConfiguration("<lumaConfig version=\"1\"/>"));
    QVERIFY(config.saveConfiguration());
    const QByteArray good = fileContent();

    QVERIFY(config.setProperty("hardwareConfig/@padding", QString(8192, QLatin1Char('x'))));
    {
        FileSizeLimit limit(1024);
        QVERIFY(limit.active);
        MessageLog log;
        QVERIFY(!config.saveConfiguration());
        QCOMPARE(MessageLog::lines(), QStringList { QString::fromLatin1(openFailure) });
    }
    QCOMPARE(fileContent(), good);
    QCOMPARE(QDir::current().entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList { QString::fromLatin1(fileName) });
}

void tst_Config::loadMissingFile()
{
    Config config;
    QVERIFY(config.setConfiguration(fixture));
    QSignalSpy changed(&config, &Config::configurationChanged);

    MessageLog log;
    QVERIFY(!config.loadConfiguration());
    QCOMPARE(MessageLog::lines(), QStringList { QString::fromLatin1(openFailure) });
    QCOMPARE(changed.count(), 0);
    QCOMPARE(config.getProperty("@version"), QStringLiteral("3"));
}

void tst_Config::loadMalformedFile_data()
{
    QTest::addColumn<QByteArray>("content");

    QTest::newRow("unclosed element") << QByteArray("<lumaConfig version=\"1\"><hardwareConfig>");
    QTest::newRow("65 levels") << nested(64).toUtf8();
    QTest::newRow("over the size limit") << nested(1, 2 * 1024 * 1024).toUtf8();
}

void tst_Config::loadMalformedFile()
{
    QFETCH(QByteArray, content);
    QFile file(QString::fromLatin1(fileName));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(content), content.size());
    file.close();

    Config config;
    QVERIFY(config.setConfiguration(fixture));
    const QString before = config.getConfiguration();
    QSignalSpy changed(&config, &Config::configurationChanged);
    MessageLog log;
    QVERIFY(!config.loadConfiguration());
    QCOMPARE(MessageLog::lines().size(), 1);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(config.getConfiguration(), before);
    QCOMPARE(config.getProperty("@version"), QStringLiteral("3"));
}

// Root without the capability that lets it write where the permissions say
// no. (A new user namespace would do too, but not under qemu-user, whose
// process is never single-threaded.)
static bool dropWriteOverride()
{
    __user_cap_header_struct header = { _LINUX_CAPABILITY_VERSION_3, 0 };
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    data[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
    return syscall(SYS_capset, &header, data) == 0;
}

// Saving replaces the file through a temporary one beside it; where none can
// be made, the file itself is overwritten.
void tst_Config::saveInUnwritableDirectory()
{
    Config config;
    QVERIFY(config.setConfiguration(fixture));
    QVERIFY(config.saveConfiguration());
    QVERIFY(config.setProperty("hardwareConfig/@scope", "changed"));
    QVERIFY(QFile::setPermissions(QDir::currentPath(),
                                  QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther
                                          | QFile::ExeOther));
    // Root writes anywhere, unless it gives that up.
    const pid_t child = fork();
    if (child == 0) {
        if (geteuid() == 0 && !dropWriteOverride())
            _exit(2);
        _exit(config.saveConfiguration() ? 0 : 1);
    }
    int status = -1;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY(QFile::setPermissions(QDir::currentPath(),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(WIFEXITED(status));
    QCOMPARE(WEXITSTATUS(status), 0);

    QCOMPARE(fileContent(), config.getConfiguration().toUtf8());
    QCOMPARE(QDir::current().entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList { QString::fromLatin1(fileName) });
}

QTEST_GUILESS_MAIN(tst_Config)
#include "tst_config.moc"
