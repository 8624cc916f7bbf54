// Reassembly of reply frames from arbitrary read notifications: the plain
// splitter with its split points, and the assembler's time limit.

#include "protocol/frameassembler.h"
#include "testsupport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

using Pieces = QList<Framing::Piece>;

// Renders pieces as text so that a mismatch is readable: frames as they are,
// a dropped frame as <dropped>.
static QStringList describe(const Pieces &pieces)
{
    QStringList out;
    for (const Framing::Piece &piece : pieces)
        out << (piece.kind == Framing::Piece::Dropped
                    ? QStringLiteral("<dropped>")
                    : QString::fromLatin1(piece.bytes.toPercentEncoding("+,=")));
    return out;
}

class TestFrameAssembler : public QObject
{
    Q_OBJECT

private slots:
    void splitsChunks_data()
    {
        QTest::addColumn<QList<QByteArray>>("chunks");
        QTest::addColumn<QList<QByteArray>>("frames");
        QTest::addColumn<QByteArray>("left");

        const QByteArray ok("+OK\r\n");
        QTest::newRow("one frame, one chunk")
            << QList<QByteArray>{ok} << QList<QByteArray>{ok} << QByteArray();
        QTest::newRow("CR LF in a second chunk")
            << QList<QByteArray>{"+OK", "\r\n"} << QList<QByteArray>{ok} << QByteArray();
        QTest::newRow("CR and LF in separate chunks")
            << QList<QByteArray>{"+OK\r", "\n"} << QList<QByteArray>{ok} << QByteArray();
        QTest::newRow("byte by byte")
            << QList<QByteArray>{"+", "O", "K", "\r", "\n"} << QList<QByteArray>{ok} << QByteArray();
        QTest::newRow("two frames in one chunk")
            << QList<QByteArray>{"+OK\r\n+PING\r\n"} << QList<QByteArray>{ok, "+PING\r\n"} << QByteArray();
        QTest::newRow("frame and the start of the next")
            << QList<QByteArray>{"+OK\r\n+REA", "DALL=1,2\r", "\n"}
            << QList<QByteArray>{ok, "+READALL=1,2\r\n"} << QByteArray();
        QTest::newRow("partial frame waits")
            << QList<QByteArray>{"+READALL=1,", "2,3"} << QList<QByteArray>{} << QByteArray("+READALL=1,2,3");
        QTest::newRow("CR without LF is data")
            << QList<QByteArray>{"+A\rB\r\n"} << QList<QByteArray>{"+A\rB\r\n"} << QByteArray();
        QTest::newRow("LF without CR is data")
            << QList<QByteArray>{"+A\nB", "\r\n"} << QList<QByteArray>{"+A\nB\r\n"} << QByteArray();
        QTest::newRow("a lone CR LF is a frame of its own")
            << QList<QByteArray>{"\r\n+OK\r\n"} << QList<QByteArray>{"\r\n", ok} << QByteArray();
        QTest::newRow("CR CR LF") << QList<QByteArray>{"+A\r", "\r\n"} << QList<QByteArray>{"+A\r\r\n"}
                                  << QByteArray();
        QTest::newRow("trailing CR kept")
            << QList<QByteArray>{"+OK\r\n+A\r"} << QList<QByteArray>{ok} << QByteArray("+A\r");
    }

    void splitsChunks()
    {
        QFETCH(QList<QByteArray>, chunks);
        QFETCH(QList<QByteArray>, frames);
        QFETCH(QByteArray, left);

        Framing::State state;
        Pieces all;
        for (const QByteArray &chunk : chunks)
            all += Framing::split(state, chunk);
        QStringList expected;
        for (const QByteArray &frame : frames)
            expected << QString::fromLatin1(frame.toPercentEncoding("+,="));
        QCOMPARE(describe(all), expected);
        QCOMPARE(state.partial, left);
    }

    // Any way of cutting the same stream gives the same frames.
    void everySplitPointGivesTheSameFrames()
    {
        const QByteArray stream("+READALL=1,502,0,8,0,1,5\r\n+OK\r\n\r\n+ERR=5\r\n");
        const QStringList expected = {"+READALL=1,502,0,8,0,1,5%0D%0A", "+OK%0D%0A", "%0D%0A",
                                      "+ERR=5%0D%0A"};
        for (int first = 0; first <= stream.size(); ++first) {
            for (int second = first; second <= stream.size(); ++second) {
                Framing::State state;
                Pieces all = Framing::split(state, stream.left(first));
                all += Framing::split(state, stream.mid(first, second - first));
                all += Framing::split(state, stream.mid(second));
                QCOMPARE(describe(all), expected);
                QVERIFY(state.partial.isEmpty());
            }
        }
    }

    void oversizedFrames_data()
    {
        QTest::addColumn<int>("contentBytes");
        QTest::addColumn<int>("chunkSize");
        QTest::addColumn<bool>("dropped");
        QTest::newRow("4096 bytes in one chunk") << 4096 << 0 << false;
        QTest::newRow("4096 bytes byte by byte") << 4096 << 1 << false;
        QTest::newRow("4097 bytes in one chunk") << 4097 << 0 << true;
        QTest::newRow("4097 bytes byte by byte") << 4097 << 1 << true;
        QTest::newRow("10000 bytes in chunks of 1000") << 10000 << 1000 << true;
    }

    // A frame longer than the limit is reported once, however it arrives, and
    // the frame after it is intact.
    void oversizedFrames()
    {
        QFETCH(int, contentBytes);
        QFETCH(int, chunkSize);
        QFETCH(bool, dropped);

        const QByteArray big = '+' + QByteArray(contentBytes - 1, 'x') + "\r\n";
        const QByteArray stream = big + "+OK\r\n";
        Framing::State state;
        Pieces all;
        const int step = chunkSize == 0 ? stream.size() : chunkSize;
        for (int at = 0; at < stream.size(); at += step)
            all += Framing::split(state, stream.mid(at, step));

        QCOMPARE(all.size(), 2);
        QCOMPARE(all.at(0).kind == Framing::Piece::Dropped, dropped);
        if (!dropped)
            QCOMPARE(all.at(0).bytes, big);
        QCOMPARE(all.at(1).kind, Framing::Piece::Frame);
        QCOMPARE(all.at(1).bytes, QByteArray("+OK\r\n"));
        QVERIFY(state.partial.isEmpty());
        QVERIFY(!state.skipping);
    }

    // However long a line without CR LF grows, and however it arrives, what
    // is kept of it never exceeds the limit: four mebibytes in one write
    // and in writes of 256 KiB, then the reply after it.
    void longLineKeepsNoMoreThanTheLimit()
    {
        for (const int step : {4 * 1024 * 1024, 256 * 1024, 4097}) {
            Framing::State state;
            Pieces all;
            const QByteArray line(4 * 1024 * 1024, 'X');
            for (int at = 0; at < line.size(); at += step) {
                all += Framing::split(state, line.mid(at, step));
                QVERIFY2(state.partial.size() <= Framing::MaxFrameBytes,
                         qPrintable(QStringLiteral("%1 bytes kept in steps of %2").arg(state.partial.size()).arg(step)));
            }
            all += Framing::split(state, "\r\n+PING\r\n");
            QCOMPARE(all.size(), 2);
            QCOMPARE(all.at(0).kind, Framing::Piece::Dropped);
            QCOMPARE(all.at(1).bytes, QByteArray("+PING\r\n"));
            QVERIFY(state.partial.isEmpty());
            QVERIFY(!state.skipping);
        }
    }

    void partialFrameDroppedAfterOneSecond()
    {
        FrameAssembler assembler;
        QSignalSpy dropped(&assembler, &FrameAssembler::partialFrameDropped);
        QVERIFY(assembler.append("+REA").isEmpty());
        QTest::qWait(600);
        QElapsedTimer sinceLastByte;
        sinceLastByte.start();
        QVERIFY(assembler.append("DALL").isEmpty()); // a new byte restarts the wait
        QTest::qWait(300);
        QCOMPARE(dropped.count(), 0);
        QVERIFY(dropped.wait(2000));
        // The whole second from the last byte counts (the timer is precise).
        QVERIFY2(sinceLastByte.elapsed() >= FrameAssembler::PartialTimeoutMs - 2,
                 qPrintable(QString::number(sinceLastByte.elapsed())));
        QCOMPARE(dropped.count(), 1);
        QVERIFY(!assembler.hasPartial());

        // The next reply starts afresh.
        const Pieces next = assembler.append("+OK\r\n");
        QCOMPARE(describe(next), QStringList{"+OK%0D%0A"});
        QTest::qWait(1200);
        QCOMPARE(dropped.count(), 1);
    }

    void clearForgetsSilently()
    {
        FrameAssembler assembler;
        QSignalSpy dropped(&assembler, &FrameAssembler::partialFrameDropped);
        assembler.append("+RE");
        assembler.clear();
        QVERIFY(!assembler.hasPartial());
        QCOMPARE(describe(assembler.append("AD\r\n")), QStringList{"AD%0D%0A"});
        QTest::qWait(1200);
        QCOMPARE(dropped.count(), 0);
    }

    // The tail of an oversized frame that never ends is not reported twice.
    void oversizedTailExpiresSilently()
    {
        FrameAssembler assembler;
        QSignalSpy dropped(&assembler, &FrameAssembler::partialFrameDropped);
        const Pieces pieces = assembler.append(QByteArray(5000, 'x'));
        QCOMPARE(describe(pieces), QStringList{"<dropped>"});
        QTest::qWait(1200);
        QCOMPARE(dropped.count(), 0);
        QCOMPARE(describe(assembler.append("+OK\r\n")), QStringList{"+OK%0D%0A"});
    }
};

TELVOR_TEST_MAIN(TestFrameAssembler)
#include "tst_frameassembler.moc"
