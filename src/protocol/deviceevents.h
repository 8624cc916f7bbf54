#pragma once

// Typed device events. The configuration page's reply handler reads each
// frame once (ReplyParser::readEvent) and publishes what it says here; each
// view subscribes to the events it shows: port records, network records, the
// current address, device information, and the acknowledgements and refusals
// that the status bar reports.

#include "protocol/replyparser.h"

#include <QObject>

class DeviceEvents : public QObject
{
    Q_OBJECT

public:
    explicit DeviceEvents(QObject *parent = nullptr) : QObject(parent) {}

    // Emits the signal of the event's kind; an event of no kind says nothing.
    void publish(const ReplyParser::Event &event);

signals:
    void portRecordRead(const ReplyParser::PortRecord &record);
    void networkRecordRead(const ReplyParser::NetworkRecord &record);
    void currentIpRead(const QByteArray &address);
    void deviceInfoRead(const ReplyParser::InfoRecord &record);
    // RESTART, PING, 232CLOSE, 485CLOSE and "+OK".
    void acknowledged(ReplyParser::ReplyKind kind);
    // "+ERR", with the text after "=" (or the whole reply).
    void refused(const QByteArray &detail);
};
