#pragma once

#include <QImage>

// How alike two pictures of the same size are, from 0 to 1: 1.0 exactly for
// identical pictures, falling towards 0 as more of the picture changes.
// The motion alarm raises an alarm below 0.93.
double pictureSimilarity(const QImage& a, const QImage& b);
