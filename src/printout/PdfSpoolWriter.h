// Writes the pages of one spooled file into a PDF as each completes (cairo's
// PDF surface, a monospaced font found through fontconfig), so a file of
// any length holds one page in memory.
#pragma once

#include <cstdio>
#include <string>

#include "scs/ScsInterpreter.h"

typedef struct _cairo cairo_t;
typedef struct _cairo_surface cairo_surface_t;

namespace quenlix::printout {

/// The font the pages are set in: monospaced, covering the Latin, Greek
/// and Cyrillic code pages.
inline constexpr const char* kPrintFont = "Liberation Mono";

class PdfSpoolWriter : public scs::PageSink {
public:
    /// Writes into `file` (taken over, closed by Finish). Pages without the
    /// host's own format get the paper's size, in points.
    PdfSpoolWriter(std::FILE* file, double paperWidthPoints, double paperHeightPoints);
    ~PdfSpoolWriter() override;
    PdfSpoolWriter(const PdfSpoolWriter&) = delete;
    PdfSpoolWriter& operator=(const PdfSpoolWriter&) = delete;

    void PageReady(const scs::PrintedPage& page) override;
    /// Completes the PDF and closes the file; false when cairo or the file
    /// failed (the reason in error()). A file without pages gets one blank page.
    bool Finish();

    int pages() const { return pages_; }
    const std::string& error() const { return error_; }

private:
    bool Begin(double width, double height);

    std::FILE* file_;
    double paperWidth_;
    double paperHeight_;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
    int pages_ = 0;
    bool writeFailed_ = false;
    std::string error_;

    friend struct PdfStream;
};

}  // namespace quenlix::printout
