// The settings file on any bytes: read into the options, written back, and
// read and written again. The second write must give the same bytes as the
// first (what was written reads back as itself), and the raw ini reader
// answers for any section and key.
#include "settings/gameoptions.h"
#include "settings/inifile.h"
#include "settings/settingsfile.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <cstdlib>

using namespace gorse;

namespace {

QTemporaryDir* folder = nullptr;

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray loadAndSave(const QString& path)
{
    GameOptions options;
    SettingsFile settings(&options, path);
    settings.loadinifile();
    settings.saveinifile();
    return readAll(path);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    new QCoreApplication(*argc, *argv);
    folder = new QTemporaryDir(QStringLiteral("/dev/shm/gorse-fuzz-ini-XXXXXX"));
    if (!folder->isValid())
        folder = new QTemporaryDir();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = folder->filePath(QStringLiteral("velmarlobby.ini"));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    IniFile raw(path);
    raw.load();
    (void)raw.value(QStringLiteral("gorse"), QStringLiteral("ChatTextSize"));
    (void)raw.contains(QStringLiteral("Other"), QStringLiteral("Key"));

    const QByteArray first = loadAndSave(path);
    const QByteArray second = loadAndSave(path);
    if (first != second)
        std::abort();
    return 0;
}
