#include "TestSources.h"

#include "FileDevice.h"
#include "PatternDevice.h"

#include <QFileInfo>
#include <cstdio>

namespace {

const char kVariable[] = "KELVOR_TEST_CAMERA";

void complain(const QString& text, QStringList* problems) {
    const QString line = QStringLiteral("kelvor: %1: %2\n").arg(QLatin1String(kVariable), text);
    std::fputs(line.toLocal8Bit().constData(), stderr);
    std::fflush(stderr);
    if (problems)
        problems->append(text);
}

} // namespace

std::vector<std::unique_ptr<CaptureDevice>> testDevicesFrom(const QString& sources,
                                                            QStringList* problems) {
    std::vector<std::unique_ptr<CaptureDevice>> devices;
    int patterns = 0;
    const QStringList items = sources.split(QLatin1Char(';'));
    for (const QString& rawItem : items) {
        const QString item = rawItem.trimmed();
        if (item.isEmpty())
            continue;
        const qsizetype colon = item.indexOf(QLatin1Char(':'));
        const QString kind = (colon < 0 ? item : item.left(colon)).trimmed().toLower();
        const QString rest = colon < 0 ? QString() : item.mid(colon + 1);
        if (kind == QLatin1String("pattern")) {
            try {
                const PatternDevice::Options options = PatternDevice::parseOptions(rest);
                ++patterns;
                QString name = QStringLiteral("Kelvor test pattern");
                if (patterns > 1)
                    name += QStringLiteral(" %1").arg(patterns);
                devices.push_back(std::make_unique<PatternDevice>(name, options));
            } catch (const CaptureError& e) {
                complain(QStringLiteral("\"%1\" skipped: %2")
                             .arg(item, QString::fromLocal8Bit(e.what())),
                         problems);
            }
        } else if (kind == QLatin1String("file")) {
            const QString path = rest.trimmed();
            if (path.isEmpty()) {
                complain(QStringLiteral("\"%1\" skipped: no file path after \"file:\"").arg(item),
                         problems);
                continue;
            }
            const QString name =
                QStringLiteral("Kelvor test file (%1)").arg(QFileInfo(path).fileName());
            devices.push_back(std::make_unique<FileDevice>(name, path));
        } else {
            complain(QStringLiteral("\"%1\" skipped: unknown source \"%2\" (expected pattern, "
                                    "pattern:OPTIONS or file:PATH)")
                         .arg(item, kind),
                     problems);
        }
    }
    return devices;
}

std::vector<std::unique_ptr<CaptureDevice>> testDevicesFromEnvironment() {
    const QString sources = qEnvironmentVariable(kVariable);
    if (sources.trimmed().isEmpty())
        return {};
    return testDevicesFrom(sources);
}
