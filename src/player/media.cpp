#include "media.h"

#include <QFileInfo>

#include <algorithm>

namespace {

const QString kOk = QStringLiteral("ok");

} // namespace

Media::Media(Mci& mci, ClientSize clientSize) : m_mci(mci), m_clientSize(std::move(clientSize)) {}

QString Media::ShortPath(const QString& path) {
    const QFileInfo info(path);
    if (path.isEmpty() || !info.exists())
        return QStringLiteral("错误");
    const QString full = info.absoluteFilePath();
    const bool blanks = std::any_of(full.begin(), full.end(), [](QChar c) { return c.isSpace(); });
    return blanks ? QLatin1Char('"') + full + QLatin1Char('"') : full;
}

QString Media::action(const QString& command) {
    m_lastError = m_mci.mciSendStringA(command, nullptr, 0, 0);
    if (m_lastError == 0)
        return kOk;
    m_mci.mciGetErrorStringA(m_lastError, m_reply.data(), kReplySize);
    return reply();
}

int Media::query(const QString& command) {
    m_lastError = m_mci.mciSendStringA(command, m_reply.data(), kReplySize, 0);
    if (m_lastError != 0)
        return -1;
    return toInteger(reply());
}

int Media::toInteger(const QString& text) {
    bool ok = false;
    const int value = text.toInt(&ok, 10);
    if (!ok)
        throw MciReplyError(QStringLiteral("“%1”不是有效的整数").arg(text));
    return value;
}

int Media::send(const QString& command, bool withReply, quintptr callbackWindow) {
    m_lastError = withReply
                      ? m_mci.mciSendStringA(command, m_reply.data(), kReplySize, callbackWindow)
                      : m_mci.mciSendStringA(command, nullptr, 0, callbackWindow);
    return m_lastError;
}

QString Media::MciOpen(const QString& alias, const QString& file, const QString& deviceType) {
    m_lastCommand = QStringLiteral("open ") + ShortPath(file) + QStringLiteral(" type ") +
                    deviceType + QStringLiteral(" Alias ") + alias;
    return action(m_lastCommand);
}

QString Media::MciOpenInWindow(quintptr parent, const QString& alias, const QString& file,
                               const QString& deviceType) {
    m_lastCommand = QStringLiteral("open ") + ShortPath(file) + QStringLiteral(" type ") +
                    deviceType + QStringLiteral(" Alias ") + alias + QStringLiteral(" parent ") +
                    QString::number(parent) + QStringLiteral(" Style ") +
                    QStringLiteral("1073741824") + QStringLiteral(" shareable");
    return action(m_lastCommand);
}

QString Media::MciPlay(const QString& alias) {
    m_lastCommand = QStringLiteral("play ") + alias;
    return action(m_lastCommand);
}

QString Media::MciPause(const QString& alias) {
    return action(QStringLiteral("Pause ") + alias);
}

QString Media::MciResume(const QString& alias) {
    return action(QStringLiteral("Resume ") + alias);
}

QString Media::MciStop(const QString& alias) {
    return action(QStringLiteral("Stop ") + alias);
}

QString Media::MciClose(const QString& alias) {
    return action(QStringLiteral("Close ") + alias);
}

QString Media::MciSeek(const QString& alias, int position) {
    return action(QStringLiteral("seek ") + alias + QStringLiteral(" to ") +
                  QString::number(position));
}

int Media::MciLengthMs(const QString& alias) {
    send(QStringLiteral("set ") + alias + QStringLiteral(" time format milliseconds"), true);
    return query(QStringLiteral("status ") + alias + QStringLiteral(" length"));
}

int Media::MciLengthFrames(const QString& alias) {
    send(QStringLiteral("set ") + alias + QStringLiteral(" time format frames"), true);
    return query(QStringLiteral("status ") + alias + QStringLiteral(" length"));
}

int Media::MciPosition(const QString& alias) {
    return query(QStringLiteral("status ") + alias + QStringLiteral(" position"));
}

QString Media::MciPutWindow(quintptr window, const QString& alias, int x, int y, int width,
                            int height) {
    if ((width == 0 || height == 0) && m_clientSize) {
        const QSize client = m_clientSize(window);
        width = client.width();
        height = client.height();
    }
    return action(QStringLiteral("put ") + alias + QStringLiteral(" window at ") +
                  QString::number(x) + QLatin1Char(' ') + QString::number(y) + QLatin1Char(' ') +
                  QString::number(width) + QLatin1Char(' ') + QString::number(height));
}

int Media::MciWhere(const QString& alias, const QString& which) {
    const QString w = which.toLower();
    if (w != QLatin1String("cx") && w != QLatin1String("cy"))
        return -1;
    m_lastError =
        m_mci.mciSendStringA(QStringLiteral("Where ") + alias + QStringLiteral(" destination"),
                             m_reply.data(), kReplySize, 0);
    if (m_lastError != 0)
        return -1;
    // "left top width height": the height is what is left after the third
    // blank, the width lies between the second and the third.
    const QString text = reply();
    const auto notFour = [&] {
        return MciReplyError(QStringLiteral("“%1”不是有效的整数").arg(text));
    };
    const auto first = text.indexOf(QLatin1Char(' '));
    if (first < 0)
        throw notFour();
    const QString afterFirst = text.mid(first + 1);
    const auto second = afterFirst.indexOf(QLatin1Char(' '));
    if (second < 0)
        throw notFour();
    const QString afterSecond = afterFirst.mid(second + 1);
    const auto third = afterSecond.indexOf(QLatin1Char(' '));
    if (third < 0)
        throw notFour();
    const int width = toInteger(afterSecond.left(third));
    const int height = toInteger(afterSecond.mid(third + 1));
    return w == QLatin1String("cx") ? width : height;
}

QString Media::MciSetVolume(const QString& alias, int percent) {
    if (percent < 0 || percent > 100)
        return QStringLiteral("音量设置超出范围");
    m_lastCommand = QStringLiteral("setaudio ") + alias + QStringLiteral(" Volume to ") +
                    QString::number(percent * 10);
    return action(m_lastCommand);
}

QString Media::MciSetSource(const QString& alias, const QString& source) {
    m_lastCommand = QStringLiteral("Setaudio ") + alias + QStringLiteral(" source to ") + source;
    return action(m_lastCommand);
}
