#include "widgetdriver.h"

namespace Driver {

void missingWidget(const QObject &root, const QString &name)
{
    qFatal("The %s has no \"%s\"", root.metaObject()->className(), qPrintable(name));
}

} // namespace Driver
