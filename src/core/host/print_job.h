#pragma once
// A print job on the default printer, in the printer's device units.
#include <string>

namespace kelvor::host {

struct PrintPicture; // a rendered image; the platform side defines what it holds

class PrintJob {
public:
    virtual ~PrintJob() = default;
    // False when no document could be started (no printer, cancelled): the caller shows its message.
    virtual bool begin_document(const std::string& title) = 0;
    // Text with its left edge at x and its top at y.
    virtual void text_out(int x, int y, const std::string& text) = 0;
    // A picture stretched into the rectangle [left, top, right, bottom).
    virtual void stretch_picture(int left, int top, int right, int bottom, const PrintPicture& picture) = 0;
    virtual void end_document() = 0;
};

} // namespace kelvor::host
