// Writes through the program's defaults store, as a separate process would.
//   settings_store_writer data:KEY=HEX string:KEY=TEXT bool:KEY=true|false remove:KEY [wait]
// With "wait" it prints "written" once every write has returned and then sleeps until killed.
#include "settings/qsettings_defaults_store.h"

#include <QByteArray>
#include <QThread>

#include <cstdio>

using namespace veloquill;

int main(int argc, char** argv)
{
    QSettingsDefaultsStore store;
    bool wait = false;
    for (int i = 1; i < argc; ++i) {
        const QString operation = QString::fromUtf8(argv[i]);
        if (operation == QLatin1String("wait")) {
            wait = true;
            continue;
        }
        const QString kind = operation.section(QLatin1Char(':'), 0, 0);
        const QString rest = operation.section(QLatin1Char(':'), 1);
        const QString key = rest.section(QLatin1Char('='), 0, 0);
        const QString value = rest.section(QLatin1Char('='), 1);
        if (kind == QLatin1String("data"))
            store.setData(key, QByteArray::fromHex(value.toLatin1()));
        else if (kind == QLatin1String("string"))
            store.setString(key, value);
        else if (kind == QLatin1String("bool"))
            store.setBoolean(key, value == QLatin1String("true"));
        else if (kind == QLatin1String("remove"))
            store.remove(key);
        else
            return 2;
    }
    if (wait) {
        std::puts("written");
        std::fflush(stdout);
        QThread::sleep(600);
    }
    return 0;
}
