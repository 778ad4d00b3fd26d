#include "TGlobal.h"

#include <algorithm>
#include <array>

namespace {

struct Setting {
    const char* key;
    QString TGlobal::*field;
    const char16_t* defaultValue;
};

// The keys in the order in which they are read and written.
const std::array<Setting, 20> kSettings{{
    {"server_name", &TGlobal::server_name, u"127.0.0.1"},
    {"strdrive", &TGlobal::strdrive, u""},
    {"strw1", &TGlobal::strw1, u"640"},
    {"strh1", &TGlobal::strh1, u"480"},
    {"strkjqy", &TGlobal::strkjqy, u"0"},
    {"strjrjk", &TGlobal::strjrjk, u"1"},
    {"strzxh", &TGlobal::strzxh, u"0"},
    {"strqpxs", &TGlobal::strqpxs, u"0"},
    {"stremail", &TGlobal::stremail, u""},
    {"strtell", &TGlobal::strtell, u""},
    {"strzxylj", &TGlobal::strzxylj, u""},
    {"strqyemail", &TGlobal::strqyemail, u"0"},
    {"strgs", &TGlobal::strgs, u"msvc"},
    {"strfbl", &TGlobal::strfbl, u"1"},
    {"strysbl", &TGlobal::strysbl, u"10"},
    {"strjrmm", &TGlobal::strjrmm, u""},
    {"strsfbj", &TGlobal::strsfbj, u"0"},
    {"strsfbcsp", &TGlobal::strsfbcsp, u"1"},
    {"strbd", &TGlobal::strbd, u"0"},
    {"strjp", &TGlobal::strjp, u"0"},
}};

// Read and write name the section differently, so a file the program makes
// itself carries the header "[Judge]"; names are compared without case.
constexpr auto kReadSection = u"judge";
constexpr auto kWriteSection = u"Judge";
constexpr int kValueBuffer = 2048;

} // namespace

TGlobal::TGlobal(const QString& programFilePath) : m_file(settingsPathFor(programFilePath)) {
    ReadSettings();
}

QString TGlobal::settingsPathFor(const QString& programFilePath) {
    const qsizetype slash = programFilePath.lastIndexOf(QLatin1Char('/'));
    const QString folder = programFilePath.left(slash + 1);
    const QString name = programFilePath.mid(slash + 1);
    if (!name.contains(QLatin1Char('.')))
        return folder + name + QStringLiteral(".ini");
    // Exactly four characters go, whatever the extension is.
    return folder + name.left(std::max<qsizetype>(0, name.size() - 4)) + QStringLiteral(".ini");
}

bool TGlobal::isOn(const QString& flag) {
    return flag == QLatin1String("1");
}

void TGlobal::ReadSettings() {
    const QString section = QString::fromUtf16(kReadSection);
    for (const Setting& s : kSettings) {
        this->*s.field = m_file.readString(section, QString::fromLatin1(s.key),
                                           QString::fromUtf16(s.defaultValue), kValueBuffer);
    }
}

void TGlobal::WriteSettings() {
    const QString section = QString::fromUtf16(kWriteSection);
    for (const Setting& s : kSettings)
        m_file.writeString(section, QString::fromLatin1(s.key), this->*s.field);
}
