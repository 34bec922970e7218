#include "files/graph_picture.h"

#include <png.h>

#include <csetjmp>

#include "files/named_output.h"

namespace orv {

bool EncodePng(const RgbPicture& picture, std::vector<std::uint8_t>& png, std::string& error) {
    png.clear();
    png_structp writer = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = writer != nullptr ? png_create_info_struct(writer) : nullptr;
    if (info == nullptr) {
        png_destroy_write_struct(&writer, nullptr);
        error = "cannot encode the picture: out of memory";
        return false;
    }
    // libpng reports its errors by longjmp; nothing here needs unwinding.
    if (setjmp(png_jmpbuf(writer))) {
        png_destroy_write_struct(&writer, &info);
        error = "cannot encode the picture";
        return false;
    }
    png_set_write_fn(
        writer, &png,
        [](png_structp p, png_bytep data, png_size_t size) {
            auto* out = static_cast<std::vector<std::uint8_t>*>(png_get_io_ptr(p));
            out->insert(out->end(), data, data + size);
        },
        nullptr);
    png_set_IHDR(writer, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(writer, info);
    for (int y = 0; y < picture.height; ++y)
        png_write_row(writer, picture.rgb.data() + static_cast<std::size_t>(y) * picture.width * 3);
    png_write_end(writer, nullptr);
    png_destroy_write_struct(&writer, &info);
    return true;
}

bool WriteGraphPng(const GraphPlot& plot, const std::filesystem::path& path, std::string& error, double zoom) {
    const RgbPicture picture = DrawGraph(plot, zoom, error);
    if (!error.empty()) {
        error = "the picture \"" + path.string() + "\" was not written: " + error;
        return false;
    }
    // Encoded in memory first, so the file is written whole or not at all.
    std::vector<std::uint8_t> png;
    if (!EncodePng(picture, png, error)) {
        error += " \"" + path.string() + "\"";
        return false;
    }
    return WriteNamedOutput(path, png, error);
}

}  // namespace orv
