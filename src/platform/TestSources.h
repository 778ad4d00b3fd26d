#pragma once

#include "CaptureDevice.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// The test sources: stand-in cameras for trying and testing the program on a
// machine without one, switched on by the environment variable
// KELVOR_TEST_CAMERA.
//
// Syntax: sources separated by ';', each one of
//   pattern                 a synthetic room scene (see PatternDevice)
//   pattern:OPT=V,OPT=V     the same with options:
//                             noise=N     noise in grey levels, 0..64 (default 3)
//                             fps=F       frames per second, up to 1000 (default 25)
//                             interval=S  seconds between visits of a figure (default 20)
//                             duration=S  seconds the figure stays (default 4)
//                             bright=N    brightness offset, -255..255 (default 0)
//                           seconds may have fractions ("interval=0.5")
//   file:PATH               a video file played in a loop (see FileDevice);
//                           PATH runs to the next ';' and may hold ':'
// Blanks around items are ignored, empty items too.
// Example: KELVOR_TEST_CAMERA="pattern;pattern:noise=0,fps=10;file:/tmp/hall.avi"
//
// Devices are named "Kelvor test pattern", "Kelvor test pattern 2", ... in the
// order of the patterns, and "Kelvor test file (<file name>)". The file is not
// looked at here: a file that cannot be played fails on open().
//
// An item that cannot be read (an unknown kind, a bad option, an empty path)
// gives no device; one line on standard error names the problem, and the
// same text is appended to *problems when given. Nothing here throws.
// Any thread; the devices are then used as CaptureDevice says.
std::vector<std::unique_ptr<CaptureDevice>> testDevicesFrom(const QString& sources,
                                                            QStringList* problems = nullptr);

// testDevicesFrom() of KELVOR_TEST_CAMERA; nothing when it is unset or empty.
std::vector<std::unique_ptr<CaptureDevice>> testDevicesFromEnvironment();
