#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

// Files of a fake panel device tree. Written in place, as sysfs is: a
// worker that keeps a file open sees the new content.
inline void writeFile(const QString &path, const QByteArray &content)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).path()));
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write(content);
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
