#pragma once

#include <QString>
#include <functional>

class TGlobal;
class Tdbhouse;
class MessageService;
class ErrorReport;
class RegistryKey;
class Clock;
class TFormtsxx;
class PasswordGate;
class MonitorPort;
class PlayerPort;
class CodecPort;
class TickPort;
class ReplayPort;

// Everything the main window works with, handed in by the program entry (or a
// test). The first group exists before the main window; the second is
// attached after it has been created, in the order the program entry makes
// those objects. A port left null belongs to a subsystem that is not attached,
// and its calls are skipped.
struct ShellContext {
    TGlobal& global;
    MessageService& messages;
    ErrorReport& errors;
    RegistryKey& windowKey;
    const Clock& clock;
    QString programFolder; // folder of the program file, ending in '/'

    Tdbhouse* dbhouse = nullptr;
    TFormtsxx* prompt = nullptr;
    PasswordGate* logoutGate = nullptr;
    PasswordGate* loginGate = nullptr;

    MonitorPort* monitor = nullptr;
    PlayerPort* player = nullptr;
    CodecPort* codec = nullptr;
    TickPort* alarmCheck = nullptr;             // work of the 500 ms alarm check tbj
    TickPort* alarmMail = nullptr;              // work of the 3 s alarm mail tsend
    ReplayPort* replay = nullptr;               // F5, F10, F11
    std::function<void()> activateSearch = {};  // Alt+T: the play list's pinyin search
    std::function<void()> mainWindowMoved = {}; // the video window's docking follows
};
