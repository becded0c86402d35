#pragma once
// A print job on the default printer, in the printer's device units.
#include <string>

namespace kelvor::chart {
class Canvas;
}

namespace kelvor::host {

struct PrintPicture; // a rendered image; the platform side defines what it holds

// A rectangle from (left, top) up to but excluding (right, bottom).
struct PrintRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    friend bool operator==(const PrintRect&, const PrintRect&) = default;
};

class PrintJob {
  public:
    virtual ~PrintJob() = default;
    // False when no document could be started (no printer, the printer refused): error_text() says why.
    virtual bool begin_document(const std::string& title) = 0;
    // Device units per inch of the document begun last.
    virtual int resolution_dpi() const = 0;
    // Text with its left edge at x and its top at y.
    virtual void text_out(int x, int y, const std::string& text) = 0;
    // The `source` part of a picture (in its pixels) stretched into `target`. A null picture (a chart
    // that was never drawn) draws nothing.
    virtual void stretch_picture(const PrintRect& target, const PrintPicture* picture,
                                 const PrintRect& source) = 0;
    // Lines, boxes, ellipses and texts on the open page in device units, pen widths in device units and
    // font sizes in points; null while no page is open, or where a job draws no shapes (then only texts
    // and pictures reach the paper). A page has no pixels to flood: its flood fill draws nothing.
    virtual chart::Canvas* page_canvas() { return nullptr; }
    // Ends the document and hands it to the printer; false when that failed (error_text() says why).
    virtual bool end_document() = 0;
    virtual std::string error_text() const = 0;
};

// A print job that keeps its pages instead of printing them: every document begun until `finish` adds
// its pages to one file, so a report printed as two jobs becomes one file of two pages.
class DocumentJob : public PrintJob {
  public:
    // The file of every page drawn since the last finish, complete; false when it could not be made
    // (error_text() says why). The next begin_document starts a new file.
    virtual bool finish(std::string& content) = 0;
    // Drops the pages drawn since the last finish.
    virtual void discard() = 0;
};

} // namespace kelvor::host
