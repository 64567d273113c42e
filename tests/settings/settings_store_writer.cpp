// Writes through the program's defaults store, as a separate process would, then prints
// "written" and, with "wait" last, sleeps until killed.
//   settings_store_writer data:KEY=HEX string:KEY=TEXT bool:KEY=true|false remove:KEY [wait]
#include "settings/qsettings_defaults_store.h"

#include <QThread>

#include <cstdio>

int main(int argc, char** argv)
{
    veloquill::QSettingsDefaultsStore store;
    for (int i = 1; i < argc; ++i) {
        const QString operation = QString::fromUtf8(argv[i]);
        const QString kind = operation.section(':', 0, 0);
        const QString key = operation.section(':', 1).section('=', 0, 0);
        const QString value = operation.section('=', 1);
        if (kind == "data")
            store.setData(key, QByteArray::fromHex(value.toLatin1()));
        else if (kind == "string")
            store.setString(key, value);
        else if (kind == "bool")
            store.setBoolean(key, value == "true");
        else if (kind == "remove")
            store.remove(key);
        else if (kind != "wait")
            return 2;
    }
    std::puts("written");
    std::fflush(stdout);
    if (argc > 1 && QString::fromUtf8(argv[argc - 1]) == "wait")
        QThread::sleep(600);
    return 0;
}
