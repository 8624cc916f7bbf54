#pragma once

// The device's USB virtual COM port, played on the master side of a
// pseudo-terminal pair. The configuration tool opens the slave path like any
// serial port; what it writes arrives here as dataReceived, and write() sends
// bytes back to it.
//
// The simulator keeps a descriptor of the slave open itself: then closing the
// port in the tool never hangs up the pair, and the master can be read before
// the tool has opened the slave.

#include <QByteArray>
#include <QObject>
#include <QString>

class QSocketNotifier;

namespace devsim {

class PseudoTerminal : public QObject
{
    Q_OBJECT

public:
    explicit PseudoTerminal(QObject *parent = nullptr);
    ~PseudoTerminal() override;

    bool open(QString *error);
    void close();
    bool isOpen() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }

    // A symbolic link at linkPath to the slave, removed again by close(). An
    // existing symbolic link there is replaced; any other file is left alone.
    bool makeLink(const QString &linkPath, QString *error);

    void write(const QByteArray &bytes);

signals:
    void dataReceived(const QByteArray &bytes);

private:
    void readMaster();
    void writePending();

    int m_master = -1;
    int m_slave = -1;
    QString m_slavePath;
    QString m_linkPath;
    QSocketNotifier *m_readNotifier = nullptr;
    QSocketNotifier *m_writeNotifier = nullptr;
    QByteArray m_pending;
};

} // namespace devsim
