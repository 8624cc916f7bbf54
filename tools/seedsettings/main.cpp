// seedsettings KEY=VALUE...
//
// Writes connection entries into the tool's own settings store (organisation
// "Telvor", application "Configurator", group "Commsettings"), but only the
// keys that are absent: an entry the user has saved is never replaced. It goes
// through QSettings, as the tool does, so the store keeps the tool's format and
// location (on Linux $XDG_CONFIG_HOME/Telvor/Configurator.conf).
//
// Prints one line per key it wrote. Exit status 0, or 2 on a malformed
// argument, or 1 when the store cannot be written.

#include <QCoreApplication>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QTextStream>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);

    QSettings settings(QStringLiteral("Telvor"), QStringLiteral("Configurator"));
    settings.beginGroup(QStringLiteral("Commsettings"));

    const QStringList args = app.arguments().mid(1);
    for (const QString &arg : args) {
        const int eq = arg.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            err << "seedsettings: expected KEY=VALUE, got '" << arg << "'\n";
            return 2;
        }
        const QString key = arg.left(eq);
        if (settings.contains(key))
            continue;
        settings.setValue(key, arg.mid(eq + 1));
        out << "seeded " << key << '=' << arg.mid(eq + 1) << '\n';
    }

    settings.endGroup();
    settings.sync();
    if (settings.status() != QSettings::NoError) {
        err << "seedsettings: cannot write " << settings.fileName() << '\n';
        return 1;
    }
    return 0;
}
