// The information window built from any record a device may send: the
// reply handler splits the bytes after the first "=" at every "," and hands
// the list to the constructor.
//
// Input: the record bytes, split at every "," as the handler does.
//
// Checked, for the first ten values: a value that is well-formed UTF-8 (as
// the check's own decoder finds) shows exactly, no trimming and no number
// formatting, and gives back the same bytes (up to the entry's length; a
// NUL byte ends the text, as Qt reads the bytes as a C string); any
// other value shows something whenever it is not empty, with the replacement
// character where its bytes do not decode. The entries past a short record
// stay empty, and closing the window announces it once.
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

// Well-formed UTF-8 as Unicode defines it: shortest forms only, no
// surrogates, nothing above U+10FFFF. Counts the code points it decodes.
bool isWellFormedUtf8(const QByteArray &bytes, int *codePoints)
{
    int count = 0;
    for (int i = 0; i < bytes.size(); ++count) {
        const auto lead = quint8(bytes[i]);
        int length = 0;
        quint32 lowest = 0;
        quint32 cp = 0;
        if (lead < 0x80) {
            length = 1;
            cp = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2;
            cp = lead & 0x1F;
            lowest = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            cp = lead & 0x0F;
            lowest = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            cp = lead & 0x07;
            lowest = 0x10000;
        } else {
            return false;
        }
        if (i + length > bytes.size())
            return false;
        for (int k = 1; k < length; ++k) {
            const auto next = quint8(bytes[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (next & 0x3F);
        }
        if (cp < lowest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        // A code point above U+FFFF takes two UTF-16 units in a QString.
        count += cp > 0xFFFF ? 1 : 0;
        i += length;
    }
    *codePoints = count;
    return true;
}

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
        const QString shown = entry->text();
        const QByteArray context = QByteArray(Entries[i]) + ": " + shown.toUtf8();
        FUZZ_CHECK(entry->isReadOnly(), Entries[i]);
        if (i >= record.size()) {
            FUZZ_CHECK(shown.isEmpty(), context);
            continue;
        }
        QByteArray value = record.at(i);
        // A NUL byte ends the text (Qt reads a byte array as a C string up
        // to its first NUL), and Qt's decoder takes a leading byte order
        // mark for what it is.
        if (value.contains('\0'))
            value.truncate(value.indexOf('\0'));
        if (value.startsWith("\xEF\xBB\xBF"))
            value.remove(0, 3);
        int units = 0;
        if (isWellFormedUtf8(value, &units)) {
            // A line edit holds at most maxLength UTF-16 units of its text;
            // the cut may split a surrogate pair.
            if (units <= entry->maxLength()) {
                FUZZ_CHECK(shown.toUtf8() == value, context);
            } else {
                QString head = shown;
                if (!head.isEmpty() && head.at(head.size() - 1).isHighSurrogate())
                    head.chop(1);
                FUZZ_CHECK(shown.size() == entry->maxLength() && value.startsWith(head.toUtf8()), context);
            }
        } else {
            FUZZ_CHECK(!shown.isEmpty() && shown.contains(QChar::ReplacementCharacter), context);
        }
    }

    window->close();
    FUZZ_CHECK(closings == 1, "closing was announced " + QByteArray::number(closings) + " times");
    delete window;
    FuzzSupport::runDeferredDeletes();
    return 0;
}
