#pragma once

#include <QImage>

// How alike two pictures of the same size are, from 0 to 1: exactly 1.0 for
// identical pictures, falling towards 0 the more of the picture changed. The
// motion alarm compares a fresh frame with a reference frame taken up to 10 s
// earlier and raises an alarm below 0.93.
//
// What it computes. The pictures are cut into square blocks, about 40 across
// (16 pixels at 640 wide, 32 at 1280, 48 at 1920; the blocks at the right and
// bottom edges are narrower where the size does not divide). For each block
// it takes the mean of the R, G and B bytes of every other row in both
// pictures, and the share of bytes at 0 and at 255. Over the blocks that do
// not clip it fits the change of brightness between the pictures,
// b = gain * a + offset: first the offset alone as the median of the block
// differences, then least squares over the blocks that fit explains to
// within 16 grey levels, a few rounds. A block departs from the change by
// its residual, less what clipping can account for (its share of bytes at
// 255 times the fitted shift at 255, likewise at 0). A departure below 8
// grey levels counts as unchanged, 24 or more as fully changed, partly in
// between. With f the changed share of the picture (blocks weighted by
// area), the result is (1 - f)^1.415: f = 5 % gives exactly 0.93.
//
// Why it behaves as the alarm needs:
//  - Identical pictures: the fit is gain 1, offset 0 bit for bit, nothing
//    departs, f = 0, the result is 1.0 exactly. More change, more changed
//    blocks; the result falls strictly to 0 as f rises to 1.
//  - Camera noise: a block mean averages at least 384 bytes, so independent
//    noise of ±5 grey levels moves it by about 0.2, far below 8. (±60 noise
//    still gives 0.9998.)
//  - A cloud or the automatic exposure: the fitted change removes a uniform
//    shift (and a change of gain of up to about ±15 %); the clip allowance
//    covers the blocks where bytes stopped at 0 or 255. The fit moves no grey
//    level by more than 40, so a larger change of the whole picture (lights
//    switched off or on, the lens covered) is a change and alarms.
//  - An intruder: an object with a contrast of 40 moves the blocks it covers
//    by about 40, so they count fully; the fit starts from a median and then
//    only uses blocks near it, so the object does not bend it, also when the
//    light changes at the same time. A tenth of the picture gives about 0.86.
//    The alarm point is about 5 % of the picture changed by 24 grey levels or
//    more, or a larger share changed less (10 % at a contrast of 20: 0.90).
//
// Cost: one pass over every other row of both pictures (half their bytes)
// with SSE2, then work in proportion to the number of blocks (at most about
// 1200). On the development machine that is about 1.4 times a memcpy of both
// frames at 320 x 240 and 640 x 480, and less than one at 1280 x 720 and
// 1920 x 1080 (bench/motion_compare). Without SSE2 a portable loop over
// 64-bit words takes about four times as long. Pictures in a format other
// than Format_RGB888 are converted first, which costs more than the
// comparison itself.
//
// Limits:
//  - Brightness only: a change of colour at the same brightness, or of
//    texture at the same mean brightness of a block (a patterned object
//    before a background of the same average), goes unseen.
//  - Changes much smaller than a block, or confined to odd rows, or with a
//    contrast below 8 grey levels, go unseen.
//  - A brightness change is assumed to be the same over the whole picture: a
//    local one (a lamp's pool of light, headlights, a cloud's shadow moving
//    over part of the scene) counts as change and alarms when large enough;
//    a change that moves more than half of the picture alike may instead be
//    taken for the exposure.
//  - The change is fitted from a to b, so swapping the pictures can give a
//    slightly different value.
//  - Pictures of fewer than about six blocks (below 64 x 48) are judged on
//    very few numbers.
//
// Two null pictures are alike (1.0). Pictures of different sizes, or one
// null, give 0.0: the caller scales the reference to the current picture's
// size first. Reentrant: it keeps no state and may run on any thread.
double pictureSimilarity(const QImage& a, const QImage& b);
