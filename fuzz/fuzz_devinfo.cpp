// The information window built from any record a device may send: the
// reply handler splits the bytes after the first "=" at every "," and hands
// the list to the constructor.
//
// Input: the record bytes, split at every "," as the handler does.
//
// Checked: entry i shows value i as UTF-8 text exactly (no trimming, no
// number formatting) for the first ten values, the entries past a short
// record stay empty, and closing the window announces it once.
//
// The record is handed over only through the constructor, so every input
// builds a window; it is not shown, since nothing checked here depends on
// showing it, and showing (a platform window, a backing store, a paint) would
// cost many times the constructor itself.

#include "fuzzsupport.h"

#include "devinfo.h"

#include <QLineEdit>

#include <cstddef>
#include <cstdint>

namespace {

const char *const Entries[] = {
    "lineEdit_SerialNum",        "lineEdit_MacAddr",           "lineEdit_ProductType",
    "lineEdit_ProductSubType",   "lineEdit_VersionMajorApp",   "lineEdit_VersionMinorApp",
    "lineEdit_BoardType",        "lineEdit_VersionMajorBoard", "lineEdit_VersionMinorBoard",
    "lineEdit_VersionParameter",
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    FuzzSupport::startApplication(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const QList<QByteArray> record = bytes.split(',');

    auto *window = new DevInfo(record, nullptr);
    int closings = 0;
    QObject::connect(window, &DevInfo::Delete_DevInfo_Window, window, [&closings] { ++closings; });

    for (int i = 0; i < 10; ++i) {
        const auto *entry = window->findChild<QLineEdit *>(QLatin1String(Entries[i]));
        FUZZ_CHECK(entry != nullptr, Entries[i]);
        // A line edit holds at most maxLength characters of what it is given.
        const QString expected =
            i < record.size() ? QString::fromUtf8(record.at(i)).left(entry->maxLength()) : QString();
        FUZZ_CHECK(entry->text() == expected, QByteArray(Entries[i]) + ": " + entry->text().toUtf8());
        FUZZ_CHECK(entry->isReadOnly(), Entries[i]);
    }

    window->close();
    FUZZ_CHECK(closings == 1, "closing was announced " + QByteArray::number(closings) + " times");
    delete window;
    FuzzSupport::runDeferredDeletes();
    return 0;
}
