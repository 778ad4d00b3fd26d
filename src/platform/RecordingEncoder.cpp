#include "RecordingEncoder.h"

extern "C" {
#include <libavutil/dict.h>
#include <libswscale/swscale.h>
}

namespace {

// Xvid encoder settings. A still surveillance scene is mostly camera noise
// from frame to frame, and the aim is to encode none of it while the burned-in
// date and time stay sharp. Measured at 640x480, 25 fps, one core, on a still
// picture with detail, a white date-time text at the top left and new noise
// of +-3 grey levels per pixel in every frame (MB per hour of recording; the
// AVI chunk headers and index add about 2 MB/h to the encoder's output):
//   qscale 4 / 5 / 6, no other option (encoder output):  75 / 43 / 31 MB/h
//   qscale 5 with the four options below (file):        29 MB/h (flat scene 23)
//   the same with +-6 noise:                            43 MB/h (212 without
//                                                       the elimination)
// - qscale 5: the text keeps clean edges; 6 and above smear it, 4 costs 1.7x
//   the size for no visible gain.
// - gop 250: a key frame (about 35 kB) every 10 s at 25 fps; on a still scene
//   key frames are half the file. A seek lands at most 10 s early.
// - mbd=bits picks the macroblock mode that costs fewest bits, which is
//   "skipped" for a still block rather than a vector chasing noise (2.4x
//   smaller on a flat scene, at 60% of the speed). Single-coefficient
//   elimination (luma 4, chroma 7) drops blocks whose residue is only a few
//   +-1 levels; noise_reduction 200 pulls small DCT coefficients towards zero;
//   mv0 tries the zero vector first.
// - Left out: trellis quantisation (half the P-frame size but about 100 fps at
//   640x480, too close to the camera rate at 1280x720) and mbd=rd (three
//   times slower, no smaller than mbd=bits here).
// Conversion, encoding and writing then run at 320-480 fps at 640x480 and
// about 100 fps at 1280x720 (42 fps with +-20 noise, the worst case tried),
// with the caller and the writer thread sharing one core.
constexpr int kXvidQscale = 5;
constexpr int kXvidGop = 250;
constexpr const char* kXvidOptions[][2] = {
    {"mbd", "bits"},
    {"luma_elim_threshold", "4"},
    {"chroma_elim_threshold", "7"},
    {"noise_reduction", "200"},
    {"mpv_flags", "+mv0"},
};

} // namespace

EncoderChoice encoderChoiceFor(RecordingCodec codec) {
    switch (codec) {
    case RecordingCodec::Msvideo1:
        // Fast bilinear keeps swscale from asking for full chroma
        // interpolation, which it cannot do for RGB555 and warns about.
        return {AV_CODEC_ID_MSVIDEO1, AV_PIX_FMT_RGB555LE, fourcc('M', 'S', 'V', 'C'), 4,
                SWS_FAST_BILINEAR};
    case RecordingCodec::Xvid:
        return {AV_CODEC_ID_MPEG4, AV_PIX_FMT_YUV420P, fourcc('X', 'V', 'I', 'D'), 2, SWS_BILINEAR};
    }
    return {};
}

int openRecordingEncoder(const EncoderChoice& choice, int width, int height, int rate,
                         AVCodecContext** encoder) {
    const AVCodec* codec = avcodec_find_encoder(choice.id);
    if (!codec)
        return AVERROR_ENCODER_NOT_FOUND;
    AVCodecContext* ctx = avcodec_alloc_context3(codec);
    *encoder = ctx;
    if (!ctx)
        return AVERROR(ENOMEM);
    ctx->width = width;
    ctx->height = height;
    ctx->pix_fmt = choice.pixelFormat;
    ctx->time_base = AVRational{1, rate};
    ctx->framerate = AVRational{rate, 1};
    ctx->codec_tag = choice.tag;
    // The writer thread is the encoder's one core.
    ctx->thread_count = 1;

    AVDictionary* options = nullptr;
    if (choice.id == AV_CODEC_ID_MPEG4) {
        ctx->gop_size = kXvidGop;
        ctx->max_b_frames = 0;
        ctx->flags |= AV_CODEC_FLAG_QSCALE;
        ctx->global_quality = kXvidQscale * FF_QP2LAMBDA;
        for (const auto& [key, value] : kXvidOptions)
            av_dict_set(&options, key, value, 0);
    }
    const int opened = avcodec_open2(ctx, codec, &options);
    av_dict_free(&options);
    return opened < 0 ? opened : 0;
}

void prepareRecordingPicture(const AVCodecContext* encoder, AVFrame* picture) {
    // With a fixed quantiser the encoder takes it from each frame's quality;
    // left at 0 it would encode at the smallest quantiser (50x the size).
    picture->quality = encoder->global_quality;
}
