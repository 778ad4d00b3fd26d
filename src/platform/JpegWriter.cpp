#include "JpegWriter.h"

#include <QImage>
#include <QSaveFile>
#include <csetjmp>
#include <cstdio>
#include <vector>

// jpeglib.h needs size_t and FILE declared before it.
#include <jerror.h>
#include <jpeglib.h>

namespace {

// libjpeg reports fatal errors through error_exit, which must not return.
// It jumps back to encode(); C++ exceptions are not thrown through the C
// library's frames.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void errorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    std::longjmp(err->jump, 1);
}

constexpr std::size_t kChunk = 64 * 1024;

struct Encoding;

// A destination that collects the output in Encoding::bytes, growing it one
// chunk at a time.
struct VectorDestination {
    jpeg_destination_mgr pub;
    Encoding* job;
};

// Everything encode() changes lives here, behind a pointer, so nothing that
// is read after a longjmp sits in a local the jump may have clobbered.
struct Encoding {
    const QImage* rgb = nullptr;
    int quality = 90;
    std::vector<unsigned char> bytes; // the finished file
    char message[JMSG_LENGTH_MAX] = {};
    jpeg_compress_struct cinfo;
    ErrorManager err;
    VectorDestination dest;
};

bool grow(Encoding* job) noexcept {
    try {
        job->bytes.resize(job->bytes.size() + kChunk);
        return true;
    } catch (...) {
        return false;
    }
}

void initDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
    if (!grow(dest->job))
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    dest->pub.next_output_byte = dest->job->bytes.data();
    dest->pub.free_in_buffer = dest->job->bytes.size();
}

boolean emptyOutputBuffer(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
    // libjpeg asks for more room only when the whole buffer is full.
    const std::size_t used = dest->job->bytes.size();
    if (!grow(dest->job))
        ERREXIT1(cinfo, JERR_OUT_OF_MEMORY, 0);
    dest->pub.next_output_byte = dest->job->bytes.data() + used;
    dest->pub.free_in_buffer = dest->job->bytes.size() - used;
    return TRUE;
}

void termDestination(j_compress_ptr cinfo) {
    auto* dest = reinterpret_cast<VectorDestination*>(cinfo->dest);
    dest->job->bytes.resize(dest->job->bytes.size() - dest->pub.free_in_buffer);
}

// Encodes job->rgb into job->bytes. On a libjpeg error returns false with
// its message in job->message. No local with a destructor lives between
// setjmp and the jump.
bool encode(Encoding* job) {
    jpeg_compress_struct& cinfo = job->cinfo;
    cinfo.err = jpeg_std_error(&job->err.pub);
    job->err.pub.error_exit = errorExit;
    if (setjmp(job->err.jump)) {
        (*cinfo.err->format_message)(reinterpret_cast<j_common_ptr>(&cinfo), job->message);
        jpeg_destroy_compress(&cinfo);
        return false;
    }
    jpeg_create_compress(&cinfo);

    job->dest.pub.init_destination = initDestination;
    job->dest.pub.empty_output_buffer = emptyOutputBuffer;
    job->dest.pub.term_destination = termDestination;
    job->dest.job = job;
    cinfo.dest = &job->dest.pub;

    const QImage& rgb = *job->rgb;
    cinfo.image_width = static_cast<JDIMENSION>(rgb.width());
    cinfo.image_height = static_cast<JDIMENSION>(rgb.height());
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, job->quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        // libjpeg only reads the rows; const_cast spares the image a copy.
        JSAMPROW row =
            const_cast<JSAMPROW>(rgb.constScanLine(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    return true;
}

[[noreturn]] void fail(const QString& path, const QString& reason) {
    throw JpegError(QStringLiteral("Cannot write the JPEG file %1: %2").arg(path, reason));
}

} // namespace

void writeJpeg(const QImage& picture, const QString& path, int quality) {
    if (picture.isNull())
        fail(path, QStringLiteral("the picture is empty"));
    const QImage rgb = picture.format() == QImage::Format_RGB888
                           ? picture
                           : picture.convertToFormat(QImage::Format_RGB888);
    if (rgb.isNull())
        fail(path, QStringLiteral("out of memory converting the picture"));

    Encoding job;
    job.rgb = &rgb;
    job.quality = quality;
    if (!encode(&job))
        fail(path, QString::fromLocal8Bit(job.message));

    // QSaveFile writes a temporary file beside the target and renames it over
    // the target on commit; without commit the temporary file is removed.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        fail(path, file.errorString());
    const auto size = static_cast<qint64>(job.bytes.size());
    if (file.write(reinterpret_cast<const char*>(job.bytes.data()), size) != size) {
        const QString reason = file.errorString();
        file.cancelWriting();
        fail(path, reason);
    }
    if (!file.commit())
        fail(path, file.errorString());
}
