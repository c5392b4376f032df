#pragma once

#include "osciseries.h"

#include <QQuickItem>
#include <QQuickView>
#include <QVariant>

// The real root screen in a real window of this process, pointed at a
// supply through the settings store, as the program would start it.
class Panel
{
public:
    // Writes the connection settings, then loads the root screen.
    Panel(quint16 port, const QString &user = QStringLiteral("kiwi"),
          const QString &password = QStringLiteral("kiwi"));

    QObject *root() const { return m_view.rootObject(); }
    QQuickView &view() { return m_view; }
    QVariant property(const char *name) const { return root()->property(name); }
    QVariant call(const char *function, const QVariantList &arguments = {});
    QVariant command(const QString &name, const QVariantMap &params = {})
    {
        return call("command", { name, params });
    }
    // The root screen's child with the given member, e.g. the link by "appendQueue".
    QObject *child(const char *member) const;

    // Also fails the running test on every script error or binding warning
    // the interface writes to this process's log, as the Qt Quick tests do.
    static void prepareApplication();
    // Whether a log line is such an error; for the log of a program a test
    // started, too.
    static bool isScriptError(const QString &line);
    // Waits as an operator's taps would: a soft key ignores a second tap
    // within half a second of one that changed its action.
    static void paceTap();
    // Runs the event loop for ms milliseconds as the program's own would:
    // QTest::qWait polls every 10 ms, which costs measurable CPU.
    static void run(int ms);
    // Points the program's link at a supply on this machine through the
    // settings store.
    static void pointSettingsAt(quint16 port, const QString &user = QStringLiteral("kiwi"),
                                const QString &password = QStringLiteral("kiwi"));

private:
    QQuickView m_view;
    OsciSeries m_osciSeries { &m_view };
};
