// Pinyin initials: conversion throughput over a few megabytes of mixed
// Chinese and ASCII names, and the time of one search keystroke over a play
// list of 100 000 entries, with the keys cached once per list and with every
// name converted on every keystroke. Target: a keystroke under 50 ms.
//
// Run: build/bench/pinyin_search
#include "IMCode.h"

#include <QString>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kEntries = 100000;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The median time of `runs` calls of `work`, in milliseconds.
double medianMs(int runs, const std::function<void()>& work) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        work();
        times.push_back(millisecondsSince(start));
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A play list like the ones the program shows: recordings named after their
// time stamp, and media files with Chinese titles, episode numbers, Latin
// words and extensions.
QStringList makeNames(int count) {
    const QString hanzi = QString::fromUtf8(
        "视频监控录像回放文件水平中国长行乐重安阿啊的一是在不了有和人这上们来到时大地为子"
        "他国年着就那要下以生会自可出也你对说而过能后多作成都经家得里去学开发问用还种所新"
        "同现想看起面定天因分进小样其些主当方然前法高十最外员把好理本意动实全明点间三色儿"
        "歌曲演唱会电影第集版纪录片新闻频道夜晚清晨白天走廊仓库大门停车场办公室东西南北");
    const char* const words[] = {"MV", "live", "HD", "Remix", "CCTV", "vol", "Part", "DVD"};
    const char* const extensions[] = {".avi", ".mp4", ".mp3", ".wmv", ".mkv"};
    std::mt19937 random(20240301);
    auto pick = [&random](int n) {
        return static_cast<int>(random() % static_cast<unsigned>(n));
    };

    QStringList names;
    names.reserve(count);
    for (int i = 0; i < count; ++i) {
        QString name;
        if (pick(10) < 4) {
            name = QStringLiteral("2024%1%2%3%4%5.avi")
                       .arg(1 + pick(12), 2, 10, QLatin1Char('0'))
                       .arg(1 + pick(28), 2, 10, QLatin1Char('0'))
                       .arg(pick(24), 2, 10, QLatin1Char('0'))
                       .arg(pick(60), 2, 10, QLatin1Char('0'))
                       .arg(pick(60), 2, 10, QLatin1Char('0'));
        } else {
            const int characters = 2 + pick(9);
            for (int c = 0; c < characters; ++c)
                name += hanzi.at(pick(static_cast<int>(hanzi.size())));
            if (pick(2) == 0)
                name += QStringLiteral(" - ") + QLatin1String(words[pick(8)]);
            if (pick(3) == 0)
                name += QStringLiteral(" 第%1集").arg(1 + pick(40));
            name += QLatin1String(extensions[pick(5)]);
        }
        names.append(name);
    }
    return names;
}

} // namespace

int main() {
    const QStringList names = makeNames(kEntries);

    // Throughput over the whole list, repeated to a few megabytes.
    qsizetype gbkBytes = 0;
    std::vector<QByteArray> gbk;
    gbk.reserve(names.size());
    for (const QString& name : names) {
        gbk.push_back(toGbk(name));
        gbkBytes += gbk.back().size();
    }
    constexpr int kRounds = 3;
    const double megabytes = static_cast<double>(gbkBytes) * kRounds / 1e6;
    std::printf("names: %d, %.2f MB as GBK (%.1f bytes a name), %.2f MB per run\n", kEntries,
                static_cast<double>(gbkBytes) / 1e6, static_cast<double>(gbkBytes) / kEntries,
                megabytes);

    qsizetype sink = 0;
    const double unicodeMs = medianMs(3, [&] {
        for (int r = 0; r < kRounds; ++r)
            for (const QString& name : names)
                sink += PinyinInitials(name, kPinyinSearchFlags, kPinyinSearchLength).size();
    });
    const double bytesMs = medianMs(3, [&] {
        for (int r = 0; r < kRounds; ++r)
            for (const QByteArray& text : gbk)
                sink += PinyinInitials(text, kPinyinSearchFlags, kPinyinSearchLength).size();
    });
    const double convertMs = medianMs(3, [&] {
        for (int r = 0; r < kRounds; ++r)
            for (const QString& name : names)
                sink += toGbk(name).size();
    });
    std::printf("PinyinInitials from QString (iconv to GBK + conversion): %7.1f MB/s\n",
                megabytes / (unicodeMs / 1000));
    std::printf("PinyinInitials over GBK bytes only:                      %7.1f MB/s\n",
                megabytes / (bytesMs / 1000));
    std::printf("toGbk alone:                                             %7.1f MB/s\n",
                megabytes / (convertMs / 1000));

    // Keystrokes. The typed texts: the key of an entry near the end, typed
    // letter by letter (lower case, as a user types), then a text that matches
    // nothing, so that the whole list is scanned: the worst case.
    QStringList keys;
    const double buildMs = medianMs(3, [&] { keys = pinyinSearchKeys(names); });
    const QString target = keys.at(kEntries - 7);
    QStringList typed;
    for (qsizetype n : {qsizetype(1), qsizetype(2), qsizetype(4), qsizetype(6), target.size()})
        typed.append(target.left(n).toLower());
    typed.append(QStringLiteral("zzzzzzz"));

    std::printf("\nplay list of %d entries; keys cached once: %.1f ms\n", kEntries, buildMs);
    std::printf("%-22s %8s %14s %16s\n", "typed", "match", "cached (ms)", "uncached (ms)");
    double worstCached = 0;
    double worstUncached = 0;
    for (const QString& text : typed) {
        int match = -1;
        const double cachedMs = medianMs(7, [&] { match = findPinyinMatch(keys, text); });
        int uncachedMatch = -1;
        const double uncachedMs = medianMs(3, [&] {
            const QString needle = text.toUpper();
            uncachedMatch = -1;
            for (int i = 0; i < names.size(); ++i) {
                if (pinyinSearchKey(names.at(i)).contains(needle)) {
                    uncachedMatch = i;
                    break;
                }
            }
        });
        if (uncachedMatch != match)
            std::printf("mismatch between cached and uncached search\n");
        worstCached = std::max(worstCached, cachedMs);
        worstUncached = std::max(worstUncached, uncachedMs);
        std::printf("%-22s %8d %14.2f %16.2f\n", qPrintable(text), match, cachedMs, uncachedMs);
    }
    std::printf("worst keystroke: cached %.2f ms, uncached %.2f ms (target < 50 ms): %s\n",
                worstCached, worstUncached, worstCached < 50 ? "met with cached keys" : "MISSED");
    return sink == 0 ? 1 : 0;
}
