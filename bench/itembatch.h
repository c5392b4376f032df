#pragma once

// A batch of item updates as the supply sends it: the given items (by
// default a mix of 10) on each of four channels, in one "info" envelope.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QStringList>

inline const QStringList defaultBatchItems = { "Status.voltageMeasure",
                                               "Status.currentMeasure",
                                               "Status.runningState",
                                               "Status.on",
                                               "Control.voltageSet",
                                               "Control.currentSet",
                                               "Status.constantVoltage",
                                               "Status.constantCurrent",
                                               "Event.trip",
                                               "Error.voltageLimit" };

inline QString batch(int round, const QStringList &items = defaultBatchItems)
{
    QJsonArray packets;
    for (int channel = 0; channel < 4; ++channel) {
        for (const QString &item : items) {
            packets.append(QJsonObject {
                    { "e", "itemUpdated" },
                    { "d",
                      QJsonObject { { "i", item },
                                    { "p",
                                      QJsonObject { { "l", "0" },
                                                    { "a", "0" },
                                                    { "c", QString::number(channel) } } },
                                    { "v", QString::number(1000 + round % 7) },
                                    { "u", "V" },
                                    { "t", QString::number(1700000000 + round) } } } });
        }
    }
    return QString::fromUtf8(
            QJsonDocument(
                    QJsonArray { QJsonObject { { "i", "T" }, { "t", "info" }, { "c", packets } } })
                    .toJson(QJsonDocument::Compact));
}
