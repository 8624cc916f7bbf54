#include "widgetdriver.h"

#include <QComboBox>

namespace Driver {

void missingWidget(const QObject &root, const QString &name)
{
    qFatal("The %s has no \"%s\"", root.metaObject()->className(), qPrintable(name));
}

QStringList itemTexts(const QComboBox *box)
{
    QStringList texts;
    for (int i = 0; i < box->count(); ++i)
        texts << box->itemText(i);
    return texts;
}

} // namespace Driver
