#pragma once
// A chart surface that records every drawing operation with the drawing state it was drawn in.
#include <string>
#include <vector>

#include "core/chart/canvas.h"

namespace kelvor::testing {

struct CanvasOp {
    enum Kind { line, rectangle, ellipse, flood, write } kind;
    chart::Px x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    Rgb pen;
    int pen_width = 0;
    Rgb fill;
    int font_size = 0;
    Rgb border;       // flood fill only
    std::string text; // text only
};

class RecordingCanvas : public chart::Canvas {
  public:
    std::vector<CanvasOp> ops;

    void line(chart::Px x1, chart::Px y1, chart::Px x2, chart::Px y2) override {
        record(CanvasOp::line, x1, y1, x2, y2);
    }
    void rectangle(chart::Px x1, chart::Px y1, chart::Px x2, chart::Px y2) override {
        record(CanvasOp::rectangle, x1, y1, x2, y2);
    }
    void ellipse(chart::Px x1, chart::Px y1, chart::Px x2, chart::Px y2) override {
        record(CanvasOp::ellipse, x1, y1, x2, y2);
    }
    void flood_fill(chart::Px x, chart::Px y, Rgb border) override {
        record(CanvasOp::flood, x, y, 0, 0).border = border;
    }
    void text(chart::Px x, chart::Px y, const std::string& text) override {
        record(CanvasOp::write, x, y, 0, 0).text = text;
    }

    // The first text op with this text, or null.
    const CanvasOp* find_text(const std::string& text) const {
        for (const auto& op : ops)
            if (op.kind == CanvasOp::write && op.text == text) return &op;
        return nullptr;
    }

  private:
    CanvasOp& record(CanvasOp::Kind kind, chart::Px x1, chart::Px y1, chart::Px x2, chart::Px y2) {
        CanvasOp op{kind, x1, y1, x2, y2, pen_colour(), pen_width(), fill_colour(), font_size(), {}, {}};
        ops.push_back(op);
        return ops.back();
    }
};

// An image control of a fixed size drawing on a recording canvas.
class RecordingImage : public chart::ImageControl {
  public:
    RecordingImage(int w, int h) : w_(w), h_(h) {}
    int width() const override { return w_; }
    int height() const override { return h_; }
    chart::Canvas& canvas() override { return canvas_; }
    RecordingCanvas& recording() { return canvas_; }
    void resize(int w, int h) {
        w_ = w;
        h_ = h;
    }

  private:
    int w_, h_;
    RecordingCanvas canvas_;
};

} // namespace kelvor::testing
