// PDF pages through cairo. Each line is drawn from its first mark as one
// run of the monospaced font, sized so that one character advances exactly
// one print position: text extraction then finds the columns again.
#include "printout/PdfSpoolWriter.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <cstring>

namespace quenlix::printout {

struct PdfStream {
    static cairo_status_t Write(void* closure, const unsigned char* data, unsigned int length) {
        auto* self = static_cast<PdfSpoolWriter*>(closure);
        if (self->writeFailed_ || std::fwrite(data, 1, length, self->file_) != length) {
            self->writeFailed_ = true;
            return CAIRO_STATUS_WRITE_ERROR;
        }
        return CAIRO_STATUS_SUCCESS;
    }
};

PdfSpoolWriter::PdfSpoolWriter(std::FILE* file, double paperWidthPoints, double paperHeightPoints)
    : file_(file), paperWidth_(paperWidthPoints), paperHeight_(paperHeightPoints) {}

PdfSpoolWriter::~PdfSpoolWriter() {
    if (cr_) cairo_destroy(cr_);
    if (surface_) cairo_surface_destroy(surface_);
    if (file_) std::fclose(file_);
}

bool PdfSpoolWriter::Begin(double width, double height) {
    surface_ = cairo_pdf_surface_create_for_stream(&PdfStream::Write, this, width, height);
    cr_ = cairo_create(surface_);
    if (cairo_status(cr_) != CAIRO_STATUS_SUCCESS) {
        error_ = cairo_status_to_string(cairo_status(cr_));
        return false;
    }
    cairo_select_font_face(cr_, kPrintFont, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    return true;
}

void PdfSpoolWriter::PageReady(const scs::PrintedPage& page) {
    const double width = page.hostFormat ? page.WidthPoints() : paperWidth_;
    const double height = page.hostFormat ? page.HeightPoints() : paperHeight_;
    if (!surface_) {
        if (!Begin(width, height)) return;
    } else {
        cairo_pdf_surface_set_size(surface_, width, height);
    }
    if (!error_.empty()) return;
    const double cellWidth = 72.0 / page.charactersPerInch;
    const double cellHeight = 72.0 / page.linesPerInch;
    // The size at which one character advances one print position.
    cairo_set_font_size(cr_, 1.0);
    cairo_text_extents_t one{};
    cairo_text_extents(cr_, "M", &one);
    const double size = one.x_advance > 0 ? cellWidth / one.x_advance : cellHeight;
    cairo_set_font_size(cr_, size);
    cairo_font_extents_t font{};
    cairo_font_extents(cr_, &font);
    cairo_set_source_rgb(cr_, 0, 0, 0);
    const int used = page.UsedLines();
    for (int line = 1; line <= used; ++line) {
        int first = 1;
        while (first <= page.columns && page.At(line, first) == u' ') ++first;
        if (first > page.columns) continue;
        const std::string text = page.LineText(line);
        // LineText starts at column 1: skip the blanks before the first mark.
        const std::string run = text.substr(static_cast<std::size_t>(first - 1));
        cairo_move_to(cr_, (first - 1) * cellWidth, (line - 1) * cellHeight + font.ascent);
        cairo_show_text(cr_, run.c_str());
    }
    cairo_show_page(cr_);
    ++pages_;
}

bool PdfSpoolWriter::Finish() {
    if (!surface_ && error_.empty()) {
        if (Begin(paperWidth_, paperHeight_)) cairo_show_page(cr_);
    }
    if (cr_) {
        cairo_destroy(cr_);
        cr_ = nullptr;
    }
    if (surface_) {
        cairo_surface_finish(surface_);
        if (error_.empty() && cairo_surface_status(surface_) != CAIRO_STATUS_SUCCESS) {
            error_ = cairo_status_to_string(cairo_surface_status(surface_));
        }
        cairo_surface_destroy(surface_);
        surface_ = nullptr;
    }
    if (file_) {
        if (std::fclose(file_) != 0) writeFailed_ = true;
        file_ = nullptr;
    }
    if (writeFailed_ && error_.empty()) error_ = "the file could not be written";
    return error_.empty();
}

}  // namespace quenlix::printout
