#include "IMCode.h"

#include "PinyinData.h"

#include <QSysInfo>

#include <algorithm>
#include <cstdint>
#include <iconv.h>

namespace {

// The stand-in for a character that GBK cannot hold: row FE has no readings,
// so it reads as a double-byte character without a reading.
constexpr char kNoReadingLead = '\xFE';
constexpr char kNoReadingTrail = '\xFE';

constexpr bool isAsciiLetterOrDigit(unsigned c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

constexpr char asciiUpper(unsigned c) {
    return static_cast<char>(c >= 'a' && c <= 'z' ? c - ('a' - 'A') : c);
}

// One iconv descriptor from UTF-16 in the machine's byte order to GBK, kept
// per thread because a descriptor must not be used by two threads at once.
class GbkEncoder {
public:
    GbkEncoder()
        : m_cd(iconv_open("GBK", QSysInfo::ByteOrder == QSysInfo::LittleEndian ? "UTF-16LE"
                                                                               : "UTF-16BE")) {}
    ~GbkEncoder() {
        if (valid())
            iconv_close(m_cd);
    }
    GbkEncoder(const GbkEncoder&) = delete;
    GbkEncoder& operator=(const GbkEncoder&) = delete;

    QByteArray encode(QStringView text) {
        // GBK takes at most two bytes for one UTF-16 unit, and so does the
        // stand-in, so the output never needs more room than this.
        QByteArray out(text.size() * 2, Qt::Uninitialized);
        char* outPtr = out.data();
        const char16_t* units = text.utf16();
        qsizetype done = 0; // UTF-16 units consumed
        while (done < text.size()) {
            if (valid()) {
                // iconv does not write through its input pointer; its
                // signature only lacks the const.
                char* inPtr = const_cast<char*>(reinterpret_cast<const char*>(units + done));
                std::size_t inLeft = static_cast<std::size_t>(text.size() - done) * 2;
                std::size_t outLeft = static_cast<std::size_t>(out.size() - (outPtr - out.data()));
                const std::size_t result = iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft);
                done = text.size() - static_cast<qsizetype>(inLeft / 2);
                if (result != static_cast<std::size_t>(-1) || done >= text.size())
                    break;
                // EILSEQ (no GBK code, or a lone surrogate) or EINVAL (a high
                // surrogate at the end): the character at `done` cannot be held.
                iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
            } else if (units[done] < 0x80) {
                // No converter (the iconv modules are missing): ASCII still
                // converts, every other character has no reading.
                *outPtr++ = static_cast<char>(units[done++]);
                continue;
            }
            const bool pair = done + 1 < text.size() && QChar::isHighSurrogate(units[done]) &&
                              QChar::isLowSurrogate(units[done + 1]);
            *outPtr++ = kNoReadingLead;
            *outPtr++ = kNoReadingTrail;
            done += pair ? 2 : 1;
        }
        out.truncate(outPtr - out.data());
        return out;
    }

private:
    bool valid() const { return m_cd != reinterpret_cast<iconv_t>(static_cast<std::intptr_t>(-1)); }

    iconv_t m_cd;
};

// Appends the piece of the double-byte character c:t and returns the new end.
char* appendDoubleByte(char* out, unsigned c, unsigned t, int flags) {
    const bool markUnknown = (flags & PinyinMarkUnknown) != 0;
    if (c == 0xA2) {
        if (t >= 0xA1) {
            for (const char* s = kNumberedSymbols[t - 0xA1]; *s != '\0'; ++s)
                *out++ = *s;
        } else if (markUnknown) {
            *out++ = '?';
        }
        return out;
    }
    if (c == 0xA3) {
        // Full-width ASCII; it keeps its case. The row holds nothing below A1,
        // where the subtraction wraps round as a byte.
        const auto ch = static_cast<unsigned char>(t - 0x80);
        if ((flags & PinyinKeepOthers) != 0 || isAsciiLetterOrDigit(ch))
            *out++ = static_cast<char>(ch);
        return out;
    }
    if (c == 0xA6) {
        const char* greek = nullptr;
        if (t >= 0xA1 && t <= 0xB8)
            greek = kGreekLetters[t - 0xA1];
        else if (t >= 0xC1 && t <= 0xD8)
            greek = kGreekLetters[t - 0xC1];
        if (greek != nullptr) {
            for (; *greek != '\0'; ++greek)
                *out++ = asciiUpper(static_cast<unsigned char>(*greek));
        } else if (markUnknown) {
            *out++ = '?';
        }
        return out;
    }
    // A lead byte FF or a second byte FF lies outside the index: no reading.
    const unsigned number =
        c <= kIndexLeadLast && t <= kIndexTrailLast
            ? kPinyinIndex[pinyinIndexPosition(static_cast<int>(c), static_cast<int>(t))]
            : 0;
    if (number == 0 || number > kSyllableCount) {
        if (markUnknown)
            *out++ = '?';
        return out;
    }
    const unsigned char* syllable = kPinyinSyllables[number - 1];
    const int letters =
        (flags & PinyinWholeSyllables) != 0 ? syllable[0] : std::min(1, +syllable[0]);
    for (int i = 1; i <= letters; ++i)
        *out++ = asciiUpper(syllable[i]);
    return out;
}

} // namespace

QByteArray PinyinInitials(const QByteArray& gbk, int flags, int maxLength) {
    if (flags < 0 || maxLength <= 0)
        return {};
    const auto* in = reinterpret_cast<const unsigned char*>(gbk.constData());
    const qsizetype size = gbk.size();
    // A piece is at most 6 bytes, and never more than 3 per input byte; the
    // loop stops once maxLength is reached, so this room always suffices.
    QByteArray result(std::min<qsizetype>(maxLength, 3 * size) + 6, Qt::Uninitialized);
    char* const begin = result.data();
    char* out = begin;
    qsizetype i = 0;
    while (i < size && out - begin < maxLength) {
        const unsigned c = in[i];
        const unsigned t = i + 1 < size ? in[i + 1] : 0;
        if (c < 0x81 || t < 0x40) {
            if ((flags & PinyinKeepOthers) != 0 || isAsciiLetterOrDigit(c))
                *out++ = asciiUpper(c);
            ++i;
            continue;
        }
        out = appendDoubleByte(out, c, t, flags);
        i += 2;
    }
    result.truncate(std::min<qsizetype>(out - begin, maxLength));
    return result;
}

QString PinyinInitials(const QString& text, int flags, int maxLength) {
    if (flags < 0 || maxLength <= 0)
        return {};
    return QString::fromLatin1(PinyinInitials(toGbk(text), flags, maxLength));
}

QByteArray toGbk(QStringView text) {
    // Time-stamp names and plain file names are ASCII: no converter needed.
    const bool ascii =
        std::all_of(text.begin(), text.end(), [](QChar ch) { return ch.unicode() < 0x80; });
    if (ascii)
        return text.toLatin1();
    thread_local GbkEncoder encoder;
    return encoder.encode(text);
}

QString pinyinSearchKey(const QString& name) {
    return PinyinInitials(name, kPinyinSearchFlags, kPinyinSearchLength).toUpper();
}

QStringList pinyinSearchKeys(const QStringList& names) {
    QStringList keys;
    keys.reserve(names.size());
    for (const QString& name : names)
        keys.append(pinyinSearchKey(name));
    return keys;
}

int findPinyinMatch(const QStringList& keys, const QString& typed, int from) {
    if (typed.isEmpty())
        return -1;
    const QString needle = typed.toUpper();
    for (qsizetype i = std::max(from, 0); i < keys.size(); ++i) {
        if (keys.at(i).contains(needle))
            return static_cast<int>(i);
    }
    return -1;
}
