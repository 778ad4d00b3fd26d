#pragma once

// The encoder set-up of recordings, shared by the AVI writer and the frame
// pipeline benchmark so that both measure the same encoding. Internal to the
// recording code: it speaks FFmpeg's types.

extern "C" {
#include <libavcodec/avcodec.h>
}

// FFmpeg's MKTAG expands to old-style casts.
constexpr unsigned fourcc(char a, char b, char c, char d) {
    return static_cast<unsigned char>(a) |
           static_cast<unsigned>(static_cast<unsigned char>(b)) << 8 |
           static_cast<unsigned>(static_cast<unsigned char>(c)) << 16 |
           static_cast<unsigned>(static_cast<unsigned char>(d)) << 24;
}

enum class RecordingCodec { Msvideo1, Xvid };

struct EncoderChoice {
    AVCodecID id;
    AVPixelFormat pixelFormat;
    unsigned tag;
    int sizeMultiple; // the encoded width and height are multiples of this
    int scaleFlags;   // swscale flags for the conversion from RGB24
};

EncoderChoice encoderChoiceFor(RecordingCodec codec);

// The frame rate of a recording whose camera does not say.
inline constexpr int kDefaultRecordingRate = 25;

// Allocates, configures and opens the encoder for frames of width x height
// (already multiples of sizeMultiple) at `rate` frames per second, with the
// time base of one frame. One thread: the caller's. Returns 0 and the
// context in *encoder, or a negative FFmpeg error code (*encoder may then
// hold a context to free).
int openRecordingEncoder(const EncoderChoice& choice, int width, int height, int rate,
                         AVCodecContext** encoder);

// The per-frame part of the set-up: a picture sent to the encoder carries
// the quantiser in its quality field.
void prepareRecordingPicture(const AVCodecContext* encoder, AVFrame* picture);
