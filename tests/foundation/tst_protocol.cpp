// The command tables and the request formatter, checked against the protocol
// as written down: frame bytes are typed out here, never produced by the code
// under test.

#include "testsupport.h"
#include "transparentconfig.h"

#include <QApplication>
#include <QtTest>

class TestProtocol : public QObject
{
    Q_OBJECT

private slots:
    void pingIsNineBytes()
    {
        const QByteArray &frame = TransparentConfig::AT_Command_Formatter(TrpCfgCmdTexts[TransparentConfig::eIdDevicePing]);
        QCOMPARE(frame, QByteArray::fromHex("41542B50494E470D0A"));
    }
};

TELVOR_TEST_MAIN(TestProtocol)
#include "tst_protocol.moc"
