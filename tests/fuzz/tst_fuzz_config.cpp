// Seeded, bounded fuzzing of the configuration store: generated documents
// (well-formed, too deep, and broken by mutation) and element paths, checked
// against what the generator knows of each document.
#include "config.h"

#include <QDomDocument>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

namespace {

const int documents = 25000;
const int pathsPerDocument = 4;

const QStringList tagNames = { "lumaConfig", "hardwareConfig", "device", "channel", "x",
                               "__proto__",  "constructor",    "a.b",    "n:s",     "_" };
const QStringList attributeNames = { "model", "displayStandby", "toString", "polarity", "v" };
const QStringList texts = { "",     "0",      "1e309",    "a&amp;b", "&lt;&gt;&quot;&apos;",
                            "µA ✓", "&#x41;", " spaced ", "x=y@z/w" };

// One generated element: its unique id, tag, attributes and children.
struct Element
{
    int id = 0;
    QString tag;
    QList<QPair<QString, QString>> attributes;
    QList<Element> children;
};

class Generator
{
public:
    explicit Generator(quint32 seed) : m_random(seed) { }

    int bounded(int n) { return int(m_random.bounded(quint32(n))); }
    bool chance(int percent) { return bounded(100) < percent; }
    template<typename T>
    const T &pick(const QList<T> &list)
    {
        return list.at(bounded(list.size()));
    }

    // Elements below the root down to the given number of levels (the root
    // counts as one); one branch reaches that depth exactly.
    Element tree(int levels)
    {
        Element root;
        root.tag = QStringLiteral("lumaConfig");
        root.id = m_next++;
        fill(root, levels - 1, true);
        return root;
    }

    QString text(const Element &element)
    {
        QString xml = QLatin1Char('<') + element.tag + QStringLiteral(" id=\"%1\"").arg(element.id);
        for (const auto &attribute : element.attributes)
            xml += QLatin1Char(' ') + attribute.first + QStringLiteral("=\"") + attribute.second
                    + QLatin1Char('"');
        if (element.children.isEmpty() && chance(50))
            return xml + QStringLiteral("/>");
        xml += QLatin1Char('>');
        if (chance(20))
            xml += pick(texts);
        if (chance(5))
            xml += QStringLiteral("<!-- c --><![CDATA[<x>]]><?pi d?>");
        for (const Element &child : element.children)
            xml += text(child);
        return xml + QStringLiteral("</") + element.tag + QLatin1Char('>');
    }

    // The text with a few bytes changed, removed or repeated.
    QString mutate(QString xml)
    {
        const int edits = 1 + bounded(3);
        for (int i = 0; i < edits && !xml.isEmpty(); ++i) {
            const int at = bounded(xml.size());
            switch (bounded(4)) {
            case 0:
                xml[at] = QChar(pick(
                        QList<ushort> { '<', '>', '&', '"', '/', '=', 0, 0xd800, 0xfffe, ' ' }));
                break;
            case 1:
                xml.remove(at, 1 + bounded(8));
                break;
            case 2:
                xml.insert(at, xml.mid(bounded(xml.size()), 1 + bounded(20)));
                break;
            default:
                xml.truncate(at);
                break;
            }
        }
        return xml;
    }

    quint32 seed() { return m_random.generate(); }

private:
    void fill(Element &parent, int levels, bool reachBottom)
    {
        const int attributes = bounded(3);
        for (int i = 0; i < attributes; ++i) {
            const QString name = pick(attributeNames);
            if (std::none_of(parent.attributes.cbegin(), parent.attributes.cend(),
                             [&](const auto &a) { return a.first == name; }))
                parent.attributes.append({ name, pick(texts) });
        }
        if (levels == 0)
            return;
        const int children = reachBottom ? 1 + bounded(levels > 8 ? 2 : 3) : bounded(3);
        for (int i = 0; i < children; ++i) {
            Element child;
            child.tag = pick(tagNames);
            child.id = m_next++;
            fill(child, reachBottom && i == 0 ? levels - 1 : std::min(levels - 1, bounded(3)),
                 reachBottom && i == 0);
            parent.children.append(child);
        }
    }

    QRandomGenerator m_random;
    int m_next = 0;
};

// Every element of the tree with the path that addresses exactly it.
void collect(const Element &element, const QString &path,
             QList<QPair<QString, const Element *>> *out)
{
    out->append({ path, &element });
    for (const Element &child : element.children) {
        const QString segment = child.tag + QStringLiteral("@id=%1").arg(child.id);
        collect(child, path.isEmpty() ? segment : path + QLatin1Char('/') + segment, out);
    }
}

QString decoded(const QString &text)
{
    QDomDocument document;
    document.setContent(QStringLiteral("<t a=\"%1\"/>").arg(text));
    return document.documentElement().attribute(QStringLiteral("a"));
}

int depth(const QDomElement &element)
{
    int deepest = 0;
    for (QDomElement child = element.firstChildElement(); !child.isNull();
         child = child.nextSiblingElement())
        deepest = std::max(deepest, depth(child));
    return deepest + 1;
}

} // namespace

class tst_FuzzConfig : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void documentsAndPaths();
};

void tst_FuzzConfig::initTestCase()
{
    // Every refused document is logged; thousands of those lines say nothing here.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
}

void tst_FuzzConfig::documentsAndPaths()
{
    const quint32 seed = qEnvironmentVariableIsSet("FUZZ_SEED")
            ? quint32(qEnvironmentVariableIntValue("FUZZ_SEED"))
            : 20261210u;
    Generator generate(seed);
    int accepted = 0;
    int refused = 0;

    for (int round = 0; round < documents; ++round) {
        const QString context = QStringLiteral("seed %1, document %2").arg(seed).arg(round);
        const int levels = generate.chance(5) ? 60 + generate.bounded(10) : 1 + generate.bounded(8);
        const Element root = generate.tree(levels);
        const QString wellFormed = generate.text(root);
        const bool mutated = generate.chance(30);
        const QString xml = mutated ? generate.mutate(wellFormed) : wellFormed;

        Config config;
        QVERIFY(config.setConfiguration(QStringLiteral("<lumaConfig version=\"1\"/>")));
        const QString before = config.getConfiguration();
        QSignalSpy changed(&config, &Config::configurationChanged);
        const bool ok = config.setConfiguration(xml);
        ok ? ++accepted : ++refused;
        QCOMPARE(changed.count(), ok ? 1 : 0);
        if (!mutated)
            QVERIFY2(ok == (levels <= 64), qPrintable(context));
        if (!ok) {
            QVERIFY2(config.getConfiguration() == before, qPrintable(context));
            continue;
        }
        // What was taken is no deeper than allowed and reads back as written.
        QDomDocument taken;
        QVERIFY2(taken.setContent(config.getConfiguration()), qPrintable(context));
        QVERIFY2(depth(taken.documentElement()) <= 64, qPrintable(context));
        if (mutated)
            continue;

        QList<QPair<QString, const Element *>> elements;
        collect(root, QString(), &elements);
        for (int i = 0; i < pathsPerDocument; ++i) {
            const auto &target = elements.at(generate.bounded(elements.size()));
            const Element &element = *target.second;
            const QString where = context + QStringLiteral(", path ") + target.first;

            // Reading an attribute and counting children along an exact path.
            const QString name = generate.pick(attributeNames);
            QString expected;
            for (const auto &attribute : element.attributes) {
                if (attribute.first == name)
                    expected = decoded(attribute.second);
            }
            const QString attributePath = target.first + QStringLiteral("/@") + name;
            QVERIFY2(config.getProperty(attributePath) == expected, qPrintable(where));
            const QString tag = generate.pick(tagNames);
            const int children
                    = int(std::count_if(element.children.cbegin(), element.children.cend(),
                                        [&](const Element &c) { return c.tag == tag; }));
            QVERIFY2(config.getNumberOfChildren(target.first, tag) == children, qPrintable(where));

            // Writing: a value set is read back, the document stays within
            // the depth limit and reads back, or the write is refused whole.
            QString path = attributePath;
            switch (generate.bounded(4)) {
            case 0:
                path = target.first + QLatin1Char('/') + generate.pick(tagNames)
                        + QStringLiteral("/@") + name;
                break;
            case 1:
                path = target.first + QString(QStringLiteral("/x")).repeated(generate.bounded(70))
                        + QStringLiteral("/@") + name;
                break;
            case 2:
                path = QStringLiteral("//") + target.first + QStringLiteral("@=*/@") + name;
                break;
            }
            const QString value = generate.pick(texts) + QString::number(generate.seed());
            const QString written = config.getConfiguration();
            if (config.setProperty(path, value)) {
                QVERIFY2(config.getProperty(path) == value, qPrintable(where + " set " + path));
                QVERIFY2(taken.setContent(config.getConfiguration()), qPrintable(where));
                QVERIFY2(depth(taken.documentElement()) <= 64, qPrintable(where + " set " + path));
            } else {
                QVERIFY2(config.getConfiguration() == written, qPrintable(where + " set " + path));
            }
            // The next path reads the document as generated.
            QVERIFY(config.setConfiguration(xml));
        }
    }
    // Both outcomes were reached often, so neither check above went idle.
    QVERIFY2(accepted > documents / 2 && refused > documents / 20,
             qPrintable(QStringLiteral("%1 accepted, %2 refused").arg(accepted).arg(refused)));
}

QTEST_GUILESS_MAIN(tst_FuzzConfig)
#include "tst_fuzz_config.moc"
