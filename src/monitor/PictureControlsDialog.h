#pragma once

#include <QDialog>

class CaptureSystem;

// The camera's own picture controls (brightness, contrast and whatever else
// the device offers), one slider or check box each, applied to the device at
// once. Modal, made for each use.
class PictureControlsDialog final : public QDialog {
    Q_OBJECT
public:
    PictureControlsDialog(CaptureSystem& capture, QWidget* parent = nullptr);
};
