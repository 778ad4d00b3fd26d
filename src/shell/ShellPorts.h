#pragma once

#include <QStringList>

// What the application shell calls in the other subsystems during start-up,
// activation and shutdown. Each subsystem implements its port; the main
// window holds a pointer per port and skips the calls of a port that is not
// attached. All calls come on the user-interface thread.

// Live monitoring: devices, the monitoring button and the recording.
class MonitorPort {
public:
    virtual ~MonitorPort() = default;
    // Window activation: refill the device list, select the first device and
    // list its formats (which leaves the live picture disconnected).
    virtual void refillDevices() = 0;
    // The monitoring button's down state: the one flag that says monitoring
    // is on.
    virtual bool isMonitoring() const = 0;
    // The automatic start: turn the monitoring button to the opposite of its
    // state and run its click action.
    virtual void toggleMonitoring() = 0;
    // Close the running recording: mark it finished, disconnect the camera,
    // close the AVI file.
    virtual void closeRecording() = 0;
    // The default-size box, ticked or not; a change runs the box's own click
    // (which stores the setting and writes the settings file).
    virtual void setDefaultSizeBox(bool on) = 0;
    // The capture width and height fields.
    virtual void setCaptureSizeTexts(const QString& width, const QString& height) = 0;
};

// Playback: player state, file list, time display, dropped files.
class PlayerPort {
public:
    virtual ~PlayerPort() = default;
    virtual void setUp() = 0;       // player state and the file list grid
    virtual void RefreshMode() = 0; // resets the time display when nothing is open
    virtual void filesDropped(const QStringList& paths) = 0;
    // The main window's player keys (Ctrl+Left, Ctrl+Right, Ctrl+Page Up,
    // Ctrl+Page Down); true when the key was one of them.
    virtual bool handleKey(int key, Qt::KeyboardModifiers modifiers) = 0;
};

// The copy of the video codec's files at the first showing.
class CodecPort {
public:
    virtual ~CodecPort() = default;
    virtual void copyCodecFiles() = 0;
};

// A timer's work that belongs to another subsystem (alarm check, alarm mail).
class TickPort {
public:
    virtual ~TickPort() = default;
    virtual void tick() = 0;
};

// The replay of recent frames: the keys F5, F10 and F11 of the main window.
class ReplayPort {
public:
    virtual ~ReplayPort() = default;
    virtual void N41Click() = 0; // F5: start the replay
    virtual void N40Click() = 0; // F10: previous frame
    virtual void N38Click() = 0; // F11: next frame
};

// A password gate: shows its dialog modally and tells whether it was passed.
class PasswordGate {
public:
    virtual ~PasswordGate() = default;
    virtual bool ask() = 0;
};
