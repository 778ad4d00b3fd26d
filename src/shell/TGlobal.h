#pragma once

#include "ProfileFile.h"

#include <QString>

// Every setting of the program, held as text in one object that lives for the
// whole run. The settings file sits beside the program file and is named
// after it (cam.exe -> cam.ini, kelvor -> kelvor.ini).
//
// Every part of the program reads and assigns the public fields directly; no
// change is announced, and a change reaches the file only at the next
// WriteSettings(). Each field is named like its key in the file. A flag is on
// only when its text is exactly "1" (see isOn()).
//
// The constructor reads the file once; a missing file, section or key gives
// the default of that key, without any report. The destructor does not write:
// the program writes explicitly at the end of a run.
//
// Errors: WriteSettings() writes the keys one at a time in the order of the
// fields below and throws ProfileWriteError ("Unable to write to <path>") at
// the first key that cannot be written; the keys after it keep their old text
// in the file, and the fields keep their values.
//
// Thread: the user-interface thread only.
class TGlobal {
public:
    explicit TGlobal(const QString& programFilePath);

    // The program's folder, then the program file name less its last four
    // characters, then ".ini"; a name with no '.' just gets ".ini" appended.
    static QString settingsPathFor(const QString& programFilePath);
    static bool isOn(const QString& flag);

    QString settingsPath() const { return m_file.path(); }

    // Reads all keys of section "judge" into the fields.
    void ReadSettings();
    // Writes all fields, one key at a time, under section "Judge".
    void WriteSettings();

    QString server_name;
    QString strdrive;
    QString strw1;
    QString strh1;
    QString strkjqy;
    QString strjrjk;
    QString strzxh;
    QString strqpxs;
    QString stremail;
    QString strtell;
    QString strzxylj;
    QString strqyemail;
    QString strgs;
    QString strfbl;
    QString strysbl;
    QString strjrmm;
    QString strsfbj;
    QString strsfbcsp;
    QString strbd;
    QString strjp;

private:
    ProfileFile m_file;
};
