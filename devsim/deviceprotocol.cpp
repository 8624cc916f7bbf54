#include "deviceprotocol.h"

namespace devsim {

namespace {

const QByteArray RequestPrefix = QByteArrayLiteral("AT+");
const QByteArray LineEnd = QByteArrayLiteral("\r\n");

enum class Command
{
    ReadAll,
    WriteAll,
    ReadNetworkCfg,
    WriteNetworkCfg,
    CurrentIp,
    Restart,
    Ping,
    Close232,
    Close485,
    DeviceInfo
};

struct CommandEntry
{
    QByteArray keyword;
    Command command;
    bool takesValues;
    bool gsmOnly;
};

const QVector<CommandEntry> &commandTable()
{
    static const QVector<CommandEntry> table = {
        {QByteArrayLiteral("READALL"), Command::ReadAll, false, false},
        {QByteArrayLiteral("WRITEALL"), Command::WriteAll, true, false},
        {QByteArrayLiteral("READ_NETWORKCFG"), Command::ReadNetworkCfg, false, false},
        {QByteArrayLiteral("WRITE_NETWORKCFG"), Command::WriteNetworkCfg, true, false},
        {QByteArrayLiteral("CURRENT_IP"), Command::CurrentIp, false, false},
        {QByteArrayLiteral("RESTART"), Command::Restart, false, false},
        {QByteArrayLiteral("PING"), Command::Ping, false, false},
        {QByteArrayLiteral("232CLOSE"), Command::Close232, false, true},
        {QByteArrayLiteral("485CLOSE"), Command::Close485, false, true},
        {QByteArrayLiteral("DEVINFO"), Command::DeviceInfo, false, false},
    };
    return table;
}

const CommandEntry *findCommand(CommandSet set, const QByteArray &keyword)
{
    for (const CommandEntry &entry : commandTable()) {
        if (entry.keyword == keyword && (set == CommandSet::Gsm || !entry.gsmOnly))
            return &entry;
    }
    return nullptr;
}

QByteArray reply(const QByteArray &body)
{
    return '+' + body + LineEnd;
}

QByteArray error(const QByteArray &reason)
{
    return reply("ERR=" + reason);
}

QByteArray recordReply(const QByteArray &keyword, QList<QByteArray> values, int delta)
{
    for (int i = 0; i < delta; ++i)
        values.append(QByteArrayLiteral("0"));
    for (int i = 0; i > delta && !values.isEmpty(); --i)
        values.removeLast();
    QByteArray body = keyword + '=';
    for (int i = 0; i < values.size(); ++i) {
        if (i > 0)
            body += ',';
        body += values.at(i);
    }
    return reply(body);
}

} // namespace

Response respond(DeviceState &state, CommandSet set, const QByteArray &request, const ContentFaults &faults)
{
    Response response;
    if (!request.startsWith(RequestPrefix) || !request.endsWith(LineEnd)) {
        response.frame = error(QByteArrayLiteral("NOT AN AT COMMAND"));
        return response;
    }
    const QByteArray body = request.mid(RequestPrefix.size(), request.size() - RequestPrefix.size() - 2);
    const int separator = body.indexOf('=');
    const QByteArray keyword = separator < 0 ? body : body.left(separator);
    const CommandEntry *entry = findCommand(set, keyword);
    if (!entry) {
        response.frame = error(QByteArrayLiteral("UNKNOWN COMMAND"));
        return response;
    }
    if (entry->takesValues && separator < 0) {
        response.frame = error(QByteArrayLiteral("VALUES MISSING"));
        return response;
    }
    if (!entry->takesValues && separator >= 0) {
        response.frame = error(QByteArrayLiteral("UNEXPECTED VALUES"));
        return response;
    }
    const QList<QByteArray> values =
        entry->takesValues ? body.mid(separator + 1).split(',') : QList<QByteArray>();

    switch (entry->command) {
    case Command::ReadAll:
        response.frame = recordReply(
            keyword, faults.outOfRangeValues ? state.outOfRangePortRecord(set) : state.portRecord(set),
            faults.recordValueDelta);
        break;
    case Command::ReadNetworkCfg:
        response.frame = recordReply(keyword, state.networkRecord(), faults.recordValueDelta);
        break;
    case Command::DeviceInfo:
        response.frame = recordReply(keyword, state.infoRecord(set), faults.recordValueDelta);
        break;
    case Command::CurrentIp:
        response.frame = reply(keyword + '=' + QByteArray::number(state.currentIpCode()));
        break;
    case Command::WriteAll:
    case Command::WriteNetworkCfg: {
        if (faults.errOnWrite) {
            response.frame = error(QByteArrayLiteral("WRITE REFUSED"));
            break;
        }
        const std::optional<QByteArray> rejected = entry->command == Command::WriteAll
                                                       ? state.writePortRecord(set, values)
                                                       : state.writeNetworkConfig(values);
        response.frame = rejected ? error(*rejected) : reply(QByteArrayLiteral("OK"));
        response.stateChanged = !rejected;
        break;
    }
    case Command::Restart:
        response.frame = reply(keyword);
        response.action = DeviceAction::Restart;
        break;
    case Command::Ping:
        response.frame = reply(keyword);
        break;
    case Command::Close232:
    case Command::Close485:
        response.frame = reply(keyword);
        response.action =
            entry->command == Command::Close232 ? DeviceAction::Close232 : DeviceAction::Close485;
        break;
    }
    return response;
}

} // namespace devsim
