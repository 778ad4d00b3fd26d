#include "Mp3Tag.h"

#include <QFile>
#include <QStringDecoder>

#include <array>

namespace {

constexpr qint64 kTagSize = 128;

// The genre names by number. From 84 on they sit one number lower than in
// the common ID3v1 list: there is no name between Swing and Bebob.
constexpr std::array<const char*, 115> kGenres = {
    "Blues",
    "Classic Rock",
    "Country",
    "Dance",
    "Disco",
    "Funk",
    "Grunge",
    "Hip-Hop",
    "Jazz",
    "Metal",
    "New Age",
    "Oldies",
    "Other",
    "Pop",
    "R&B",
    "Rap",
    "Reggae",
    "Rock",
    "Techno",
    "Industrial",
    "Alternative",
    "Ska",
    "Death Metal",
    "Pranks",
    "Soundtrack",
    "Euro-Techno",
    "Ambient",
    "Trip-Hop",
    "Vocal",
    "Jazz+Funk",
    "Fusion",
    "Trance",
    "Classical",
    "Instrumental",
    "Acid",
    "House",
    "Game",
    "Sound Clip",
    "Gospel",
    "Noise",
    "AlternRock",
    "Bass",
    "Soul",
    "Punk",
    "Space",
    "Meditative",
    "Instrumental Pop",
    "Instrumental Rock",
    "Ethnic",
    "Gothic",
    "Darkwave",
    "Techno-Industrial",
    "Electronic",
    "Pop-Folk",
    "Eurodance",
    "Dream",
    "Southern Rock",
    "Comedy",
    "Cult",
    "Gangsta",
    "Top 40",
    "Christian Rap",
    "Pop/Funk",
    "Jungle",
    "Native American",
    "Cabaret",
    "New Wave",
    "Psychedelic",
    "Rave",
    "Showtunes",
    "Trailer",
    "Lo-Fi",
    "Tribal",
    "Acid Punk",
    "Acid Jazz",
    "Polka",
    "Retro",
    "Musical",
    "Rock & Roll",
    "Hard Rock",
    "Folk",
    "Folk/Rock",
    "National Folk",
    "Swing",
    "Bebob",
    "Latin",
    "Revival",
    "Celtic",
    "Bluegrass",
    "Avantgarde",
    "Gothic Rock",
    "Progressive Rock",
    "Psychedelic Rock",
    "Symphonic Rock",
    "Slow Rock",
    "Big Band",
    "Chorus",
    "Easy Listening",
    "Acoustic",
    "Humour",
    "Speech",
    "Chanson",
    "Opera",
    "Chamber Music",
    "Sonata",
    "Symphony",
    "Booty Bass",
    "Primus",
    "Porn Groove",
    "Satire",
    "Slow Jam",
    "Club",
    "Tango",
    "Samba",
    "Folklore",
};

// A field's bytes up to its first zero byte.
QString field(const QByteArray& tag, int offset, int length) {
    QByteArray bytes = tag.mid(offset, length);
    const auto zero = bytes.indexOf('\0');
    if (zero >= 0)
        bytes.truncate(zero);
    return DecodeTagText(bytes);
}

} // namespace

QString DecodeTagText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    QStringDecoder gb("GB18030", QStringDecoder::Flag::Stateless);
    if (gb.isValid()) {
        text = gb.decode(bytes);
        if (!gb.hasError())
            return text;
    }
    return QString::fromLatin1(bytes);
}

bool ReadId3v1Tag(const QString& path, Mp3Tag& tag) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    QByteArray bytes;
    if (size >= kTagSize) {
        if (!file.seek(size - kTagSize))
            return false;
        bytes = file.read(kTagSize);
        if (bytes.size() != kTagSize)
            return false;
    }
    tag = Mp3Tag{};
    if (!bytes.startsWith("TAG")) {
        tag.comment = QString::fromUtf16(kNoMp3Tag);
        return true;
    }
    tag.title = field(bytes, 3, 30);
    tag.artist = field(bytes, 33, 30);
    tag.album = field(bytes, 63, 30);
    tag.year = field(bytes, 93, 4);
    tag.comment = field(bytes, 97, 30);
    tag.genre = static_cast<unsigned char>(bytes.at(127));
    return true;
}

QString GenreName(int number) {
    if (number >= 0 && number < static_cast<int>(kGenres.size()))
        return QString::fromLatin1(kGenres[static_cast<size_t>(number)]);
    return QString::number(number);
}
