#include "protocol/deviceevents.h"

void DeviceEvents::publish(const ReplyParser::Event &event)
{
    using ReplyParser::ReplyKind;
    switch (event.kind) {
    case ReplyKind::None:
        break;
    case ReplyKind::PortRecord:
        emit portRecordRead(event.portRecord);
        break;
    case ReplyKind::NetworkRecord:
        emit networkRecordRead(event.network);
        break;
    case ReplyKind::CurrentIp:
        emit currentIpRead(event.currentIp);
        break;
    case ReplyKind::DeviceInfo:
        emit deviceInfoRead(event.info);
        break;
    case ReplyKind::Error:
        emit refused(event.detail);
        break;
    case ReplyKind::Restart:
    case ReplyKind::Ping:
    case ReplyKind::Close232:
    case ReplyKind::Close485:
    case ReplyKind::Ok:
        emit acknowledged(event.kind);
        break;
    }
}
